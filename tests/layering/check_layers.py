#!/usr/bin/env python3
# Fails when a file in src/ includes one from a higher layer.
# Usage: check_layers.py SRC_DIR [--graph]
# With --graph, prints the folder-level include graph, bottom layer first.
import pathlib, re, sys

# Bottom first. A file may include its own folder and any lower layer.
LAYERS = [
    ["base"], ["platform"], ["core"], ["autostart"], ["windowlist"], ["app"],
    ["adapters/posix", "adapters/x11"], ["adapters/xdg", "adapters/wayland", "adapters/kwin", "adapters/gnome", "adapters/qt",
     "adapters/win32"],
    ["main/linux", "main/windows"],
]
RANK = {folder: i for i, layer in enumerate(LAYERS) for folder in layer}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
folder_of = lambda relative: str(pathlib.PurePosixPath(relative).parent)

src = pathlib.Path(sys.argv[1])
edges, faults = {}, []
for path in sorted(src.rglob("*")):
    if path.suffix not in (".h", ".cpp", ".in"):
        continue
    here = folder_of(path.relative_to(src).as_posix())
    if here not in RANK:
        faults.append(f"{path}: folder {here} is in no layer")
        continue
    for target in INCLUDE.findall(path.read_text(errors="replace")):
        there = folder_of(target)
        if there == here or there not in RANK:
            continue  # own folder, system or generated header
        edges.setdefault(here, set()).add(there)
        if RANK[there] >= RANK[here]:
            faults.append(f"{path}: includes {target} from the same or a higher layer")
if "--graph" in sys.argv:
    for folder in (folder for layer in LAYERS for folder in layer):
        print(f"{folder:<16} -> {', '.join(sorted(edges.get(folder, ()))) or '(nothing)'}")
sys.exit("\n".join(faults) or None)  # the faults on standard error, and exit 1
