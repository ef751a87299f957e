#!/usr/bin/env python3
"""Fails while docs/architecture.md's room table and the code tell different stories.

Each folder under src/ is a room: one library (s88_<room>) or one program, and the window's
folder one program with the library its tests link; rooms link rooms PRIVATE. A room's row in the table names the rooms
it uses; those must be exactly the rooms its files include, and the rooms its CMake targets
link (by their s88_ names) must be exactly those too. Neither program links a library of the
other's. Usage: scripts/checkrooms.py [source root]
"""
import re
import sys
from pathlib import Path

root = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent)
src = root / "src"
rooms = sorted(p.name for p in src.iterdir() if (p / "CMakeLists.txt").exists())
problems = []

# | `room` | holds | uses | Qt |: uses is "–" or rooms separated by commas.
table = {}
for line in (root / "docs/architecture.md").read_text(encoding="utf-8").splitlines():
    m = re.match(r"\|\s*`([a-z]+)`\s*\|[^|]*\|([^|]*)\|[^|]*\|\s*$", line)
    if m:
        uses = {u.strip() for u in m.group(2).split(",") if u.strip() not in ("", "–", "-")}
        table[m.group(1)] = uses

for room in sorted(set(rooms) ^ set(table)):
    where = "in the table but no folder" if room in table else "a folder but not in the table"
    problems.append(f"{room}: {where}")

programs = {}
for room in rooms:
    if room not in table:
        continue
    folder = src / room
    included = set()
    for f in folder.rglob("*"):
        if f.suffix in (".h", ".cpp"):
            text = f.read_text(encoding="utf-8")
            included |= set(re.findall(r'^#include "([a-z]+)/', text, re.M))
    included &= set(rooms)
    included.discard(room)
    if included != table[room]:
        problems.append(f"{room}: includes {sorted(included)}, the table says {sorted(table[room])}")

    cmake = (folder / "CMakeLists.txt").read_text(encoding="utf-8")
    libraries = re.findall(r"qt_add_library\((\S+)", cmake)
    executables = re.findall(r"qt_add_executable\((\S+)", cmake)
    if len(libraries) > 1 or len(executables) > 1 or not (libraries or executables):
        problems.append(f"{room}: {len(libraries)} libraries and {len(executables)} programs")
    if libraries and libraries[0] != f"s88_{room}":
        problems.append(f"{room}: its library is {libraries[0]}, not s88_{room}")
    linked = set()
    for target_links in re.findall(r"target_link_libraries\((.*?)\)", cmake, re.S):
        linked |= set(re.findall(r"\bs88_([a-z]+)\b", target_links))
        for public in re.findall(r"\bPUBLIC\b(.*?)(?=\bPRIVATE\b|\bINTERFACE\b|$)", target_links, re.S):
            if re.search(r"\bs88_", public):
                problems.append(f"{room}: links a room PUBLIC ({public.split()})")
    linked -= {"options", room}
    if linked != table[room]:
        problems.append(f"{room}: links {sorted(linked)}, the table says {sorted(table[room])}")
    if executables:
        programs[executables[0]] = room


def reach(room, seen):
    for used in table.get(room, ()):
        if used not in seen:
            seen.add(used)
            reach(used, seen)
    return seen


# Each program's rooms, and what only the other program may use.
reached = {name: reach(room, {room}) for name, room in programs.items()}
for name, room in programs.items():
    for other_name, other in programs.items():
        if other != room and other in reached[name]:
            problems.append(f"{name} uses {other_name}'s room {other}")

for p in problems:
    print(p)
sys.exit(1 if problems else 0)
