#!/usr/bin/env python3
"""The shared window bench (window-bench.py) on its own stream with one chattering input.

Input 73 (module 5, contact 9) flips in every burst, so the history list gets a change per
burst beyond the moving train, and the input is flagged unstable at once. Everything else,
the options included, is the harness's own: this only swaps its stream.

Usage: window-bench-chatter.py HARNESS [harness options...]
"""
import importlib.util
import random
import sys

CHATTER = 72  # input 73, counted from 0 as the harness counts


def chatter_stream(nbytes, seed=88):
    stray = [v for v in range(256) if v != 105]
    rnd = random.Random(seed)
    out = bytearray()
    k = 0
    while len(out) < nbytes:
        lit = {(k % 160 + j) % 160 for j in range(3)} ^ ({CHATTER} if k % 2 else set())
        out += b'i\x0a'
        for m in range(10):
            word = sum(1 << bit for bit in range(16) if m * 16 + bit in lit)
            out += bytes((m + 1, word >> 8, word & 0xFF))
        out.append(rnd.choice(stray))
        out.append(rnd.choice(stray))
        k += 1
    return bytes(out[:nbytes])


def main():
    harness = sys.argv.pop(1)
    found = importlib.util.spec_from_file_location('window_bench', harness)
    bench = importlib.util.module_from_spec(found)
    found.loader.exec_module(bench)
    bench.s88_stream = chatter_stream
    bench.main()


if __name__ == '__main__':
    main()
