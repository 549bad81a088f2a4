#!/usr/bin/env python3
"""Helper of run.sh: mirrors the tree into the scratch copy and puts faults in.

  mutate.py sync SOURCE COPY         make COPY's files equal to SOURCE's
  mutate.py list FAULTS [ID...]      print "id<TAB>platform<TAB>description"
  mutate.py apply FAULTS ID COPY     put fault ID into COPY/src (exit 3: n/a)
  mutate.py check FAULTS TREE        say which faults do not apply to TREE/src

A file is only written when its bytes differ, and then with a new time, so
that the incremental build recompiles exactly what changed (also after a
run that was interrupted with a fault still in).
"""
import re
import sys
from pathlib import Path

MIRRORED = ["CMakeLists.txt", "src", "tests", "bench", "cmake", "art", "packaging", "tools/wine"]


def files_under(root):
    out = {}
    for top in MIRRORED:
        p = root / top
        if p.is_file():
            out[top] = p
        elif p.is_dir():
            for f in p.rglob("*"):
                if f.is_file():
                    out[str(f.relative_to(root))] = f
    return out


def sync(source, copy):
    wanted = files_under(source)
    for rel, f in wanted.items():
        target = copy / rel
        data = f.read_bytes()
        if not target.is_file() or target.read_bytes() != data:
            target.parent.mkdir(parents=True, exist_ok=True)
            target.write_bytes(data)
        if target.stat().st_mode != f.stat().st_mode:
            target.chmod(f.stat().st_mode)
    for rel, f in files_under(copy).items():
        if rel not in wanted:
            f.unlink()


def parse(path):
    """Faults: blocks of "key: value" lines, blank lines between blocks."""
    faults, current = [], None
    for n, line in enumerate(Path(path).read_text().splitlines(), 1):
        if not line.strip() or line.startswith("#"):
            current = None
            continue
        key, sep, value = line.partition(":")
        if not sep:
            sys.exit(f"{path}:{n}: expected 'key: value'")
        value = value[1:] if value.startswith(" ") else value
        if key == "id":
            current = {"id": value, "edits": []}
            faults.append(current)
        elif current is None:
            sys.exit(f"{path}:{n}: '{key}' outside a fault")
        elif key in ("needs", "what"):
            current[key] = value
        elif key == "find":
            current["edits"].append([value, None])
        elif key == "into" and current["edits"] and current["edits"][-1][1] is None:
            current["edits"][-1][1] = value
        else:
            sys.exit(f"{path}:{n}: unexpected '{key}'")
    for f in faults:
        if f.get("needs") not in ("linux", "windows") or not f.get("what") or not f["edits"] \
                or any(into is None for _, into in f["edits"]):
            sys.exit(f"{path}: fault {f['id']} needs 'needs', 'what' and find/into pairs")
    return faults


def pattern(snippet):
    # Blanks match any run of white space, line breaks included, so that a
    # snippet survives reformatting and re-indentation.
    return re.compile(r"\s+".join(re.escape(part) for part in snippet.split()))


def sources(tree):
    return {f: f.read_text(errors="surrogateescape")
            for f in sorted((tree / "src").rglob("*")) if f.is_file()}


def edits_of(fault, texts):
    """[(file, match, replacement)], or the reason the fault does not apply."""
    found = []
    for snippet, into in fault["edits"]:
        hits = [(f, m) for f, t in texts.items() for m in pattern(snippet).finditer(t)]
        if len(hits) != 1:
            return f"{len(hits)} matches for: {snippet}"
        found.append((hits[0][0], hits[0][1], into))
    return found


def apply(fault, tree):
    texts = sources(tree)
    edits = edits_of(fault, texts)
    if isinstance(edits, str):
        print(edits, file=sys.stderr)
        sys.exit(3)
    # Later matches first, so that earlier offsets in the same file hold.
    for f, m, into in sorted(edits, key=lambda e: (str(e[0]), -e[1].start())):
        texts[f] = texts[f][:m.start()] + into + texts[f][m.end():]
        f.write_text(texts[f], errors="surrogateescape")


def main(argv):
    cmd, args = argv[1], argv[2:]
    if cmd == "sync":
        sync(Path(args[0]), Path(args[1]))
        return
    faults = parse(args[0])
    by_id = {f["id"]: f for f in faults}
    unknown = [i for i in args[1:2] if i not in by_id] if cmd == "apply" else []
    if cmd == "list":
        unknown = [i for i in args[1:] if i not in by_id]
    if unknown:
        sys.exit(f"no such fault: {' '.join(unknown)}")
    if cmd == "list":
        # In the order asked for, so that a run can start with what matters most.
        for f in [by_id[i] for i in args[1:]] or faults:
            print(f"{f['id']}\t{f['needs']}\t{f['what']}")
    elif cmd == "apply":
        apply(by_id[args[1]], Path(args[2]))
    elif cmd == "check":
        texts = sources(Path(args[1]))
        bad = 0
        for f in faults:
            edits = edits_of(f, texts)
            if isinstance(edits, str):
                bad += 1
                print(f"{f['id']}: {edits}")
        print(f"{len(faults)} faults, {bad} do not apply")
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
