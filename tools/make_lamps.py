#!/usr/bin/env python3
"""Writes the two lamp pictures: 16 x 16 GIF89a, a disc on the classic light-grey ground."""
import struct
import sys
from pathlib import Path

ROWS = [6, 8, 12, 12, 14, 16, 16, 16, 16, 16, 16, 14, 12, 12, 8, 6]
GREY = (192, 192, 192)


def pixels():
    out = []
    for width in ROWS:
        pad = (16 - width) // 2
        out += [0] * pad + [1] * width + [0] * pad
    return out


def lzw(indices, min_size):
    clear, end = 1 << min_size, (1 << min_size) + 1
    table = {(i,): i for i in range(clear)}
    size, nxt = min_size + 1, end + 1
    bits = nbits = 0
    data = bytearray()

    def emit(code):
        nonlocal bits, nbits
        bits |= code << nbits
        nbits += size
        while nbits >= 8:
            data.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8

    emit(clear)
    run = (indices[0],)
    for px in indices[1:]:
        if run + (px,) in table:
            run += (px,)
            continue
        emit(table[run])
        if nxt < 4096:
            table[run + (px,)] = nxt
            nxt += 1
            if nxt > (1 << size) and size < 12:
                size += 1
        run = (px,)
    emit(table[run])
    emit(end)
    if nbits:
        data.append(bits & 0xFF)
    return bytes(data)


def gif(disc):
    out = bytearray(b"GIF89a")
    out += struct.pack("<HHBBB", 16, 16, 0x80, 0, 0)  # 2-colour global table
    out += bytes(GREY) + bytes(disc)
    out += struct.pack("<BHHHHB", 0x2C, 0, 0, 16, 16, 0)
    out.append(2)  # LZW minimum code size
    data = lzw(pixels(), 2)
    for i in range(0, len(data), 255):
        block = data[i:i + 255]
        out.append(len(block))
        out += block
    out += b"\x00\x3b"
    return bytes(out)


def main():
    folder = Path(sys.argv[1] if len(sys.argv) > 1 else "src/app/resources")
    (folder / "red.gif").write_bytes(gif((255, 0, 0)))
    (folder / "green.gif").write_bytes(gif((0, 255, 0)))


if __name__ == "__main__":
    main()
