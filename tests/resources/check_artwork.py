#!/usr/bin/python3
"""Runs the artwork generator into a fresh folder and compares what it makes,
byte for byte, with the committed files: the artwork is reproducible, and
what is committed is what the generator makes.

    check_artwork.py tools/artwork/generate.py RESOURCES_FOLDER
"""

import os
import subprocess
import sys
import tempfile


def files_under(folder):
    found = {}
    for root, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(root, name)
            with open(path, "rb") as f:
                found[os.path.relpath(path, folder).replace(os.sep, "/")] = f.read()
    return found


def main(argv):
    generator, resources = argv[1], argv[2]
    passed = failed = 0
    with tempfile.TemporaryDirectory() as out:
        # -B: no byte-code caches written into the source tree.
        subprocess.run([sys.executable, "-B", generator, out], check=True)
        made = files_under(out)
    committed = files_under(resources)
    if not made:
        print("FAILED  the generator made nothing")
        failed += 1
    for name, data in sorted(made.items()):
        if committed.get(name) == data:
            passed += 1
            print("ok      %s (%d bytes)" % (name, len(data)))
        else:
            failed += 1
            state = "missing" if name not in committed else "differs"
            print("FAILED  %s: the committed file %s from the generator's" % (name, state))
    print("%d passed, %d failed" % (passed, failed))
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
