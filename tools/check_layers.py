#!/usr/bin/env python3
"""Fails when a product source includes a header of a layer it may not use.

The layers, each allowed to use only itself and the ones it lists:

    common                 shared types: the error, number and plain text, letter case,
                           Expected, the single-instance guard's name
    interfaces             the platform operations the core needs, exit codes
    registry               the registry read helpers (MRegistry)
    runtime                Java runtime discovery and support files (mod_main), the
                           decision log, the end of the process
    launcher               the settings file and its keys, the start-up sequence, the
                           Java command line, the splash GIF
    platform/memory        in-memory doubles of the interfaces
    platform/win32         the Win32 layer, the hardening and the program's entry

Tests, fuzzers and benchmarks may use every layer; no layer may use them.

    check_layers.py [SOURCE_ROOT]
"""

import os
import re
import sys

ALLOWED = {
    "common": {"common"},
    "interfaces": {"common", "interfaces"},
    "registry": {"common", "interfaces", "registry"},
    "runtime": {"common", "interfaces", "registry", "runtime"},
    "launcher": {"common", "interfaces", "registry", "runtime", "launcher"},
    "platform/memory": {"common", "interfaces", "registry", "platform/memory"},
    "platform/win32": {"common", "interfaces", "registry", "runtime", "launcher",
                       "platform/win32"},
}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def layer_of(path):
    """The layer a source-relative path belongs to, or None."""
    for layer in sorted(ALLOWED, key=len, reverse=True):
        if path == layer or path.startswith(layer + "/"):
            return layer
    return None


def violations(root):
    for layer in ALLOWED:
        folder = os.path.join(root, layer)
        if not os.path.isdir(folder):
            continue
        for name in sorted(os.listdir(folder)):
            if not name.endswith((".h", ".cpp")):
                continue
            source = os.path.join(layer, name)
            with open(os.path.join(root, source), encoding="utf-8") as f:
                for number, line in enumerate(f, 1):
                    match = INCLUDE.match(line)
                    if not match:
                        continue
                    target = match.group(1)
                    used = layer_of(target)
                    if used not in ALLOWED[layer]:
                        yield "%s:%d: %s may not include %s (%s)" % (
                            source, number, layer, target,
                            "not a product layer" if used is None else
                            "%s is above or beside it" % used)


def main(argv):
    root = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    found = list(violations(root))
    for violation in found:
        print(violation)
    if found:
        print("layers: %d include(s) point up or sideways" % len(found))
        return 1
    print("layers: every include points down")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
