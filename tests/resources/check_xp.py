#!/usr/bin/env python3
"""Checks that a Windows program asks for nothing that Windows XP lacks.

Windows refuses to start a program that imports a function its DLLs do not
export ("The procedure entry point ... could not be located"), and one whose
PE header asks for a later system. So:

- the PE header's operating system and subsystem versions must be at most
  the oldest system (5.1, Windows XP; 5.2 for a 64-bit program, XP x64);
- every imported function must be one that system has. The MinGW-w64
  headers know: they declare a Windows function only for the _WIN32_WINNT
  values that have it, and the C runtime's functions only for the version of
  msvcrt.dll they are told (0x0700, the one Windows XP has). A probe file
  that names every import is compiled against them for XP; what the compiler
  calls undeclared is missing there. The C runtime's start-up entry points
  (__wgetmainargs, _initterm ...) are declared in no public header: those are
  accepted when MinGW-w64's own start-up code, written for the msvcrt.dll of
  every Windows it supports, refers to them itself. A few functions the
  headers declare for every Windows although XP has none of them are named
  below (NOT_IN_XP) and refused by name.

    check_xp.py --cc GCC --nm NM [--windows 5.1] [--expect-found [--including NAME]...]
                PROGRAM.exe

With --expect-found the check must find something a Windows XP program may
not ask for (and, with --including, each function named): it proves the check
sees what it is for, on a sample program.
"""

import argparse
import os
import re
import subprocess
import sys
import tempfile

import pefile

HEADERS = [
    "windows.h", "objbase.h", "ole2.h", "olectl.h", "oleauto.h", "shellapi.h",
    "stdio.h", "stdlib.h", "string.h", "wchar.h", "locale.h", "signal.h", "setjmp.h",
    "process.h", "io.h", "errno.h", "math.h", "time.h", "ctype.h", "malloc.h",
]

VERSIONS = {(5, 1): "0x0501", (5, 2): "0x0502"}

# Declared by MinGW-w64's headers whatever _WIN32_WINNT says, yet not in any
# Windows XP: the DLL search functions of KB2533623 (Windows 7 and Vista with
# that update, Windows 8 and later), which a program for XP must look up at
# run time.
NOT_IN_XP = {"SetDefaultDllDirectories", "AddDllDirectory", "RemoveDllDirectory"}


def imports_of(pe):
    """(dll, function) pairs; an import by ordinal names itself '#N'."""
    found = []
    for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []):
        dll = entry.dll.decode().lower()
        for symbol in entry.imports:
            name = symbol.name.decode() if symbol.name else "#%d" % symbol.ordinal
            found.append((dll, name))
    return found


def undeclared(cc, winnt, names):
    """The names the MinGW-w64 headers do not declare for that Windows."""
    with tempfile.TemporaryDirectory() as folder:
        probe = os.path.join(folder, "probe.c")
        with open(probe, "w", encoding="ascii") as f:
            for header in HEADERS:
                f.write("#include <%s>\n" % header)
            f.write("void probe(void) {\n")
            for name in names:
                f.write("  (void)(%s);\n" % name)
            f.write("}\n")
        result = subprocess.run(
            [cc, "-fsyntax-only", "-D_WIN32_WINNT=" + winnt, "-DWINVER=" + winnt,
             "-D__MSVCRT_VERSION__=0x0700", "-DWIN32_LEAN_AND_MEAN", probe],
            capture_output=True, text=True, check=False)
    missing = set(re.findall(r"[‘'`]([A-Za-z_][A-Za-z0-9_]*)[’'] undeclared", result.stderr))
    if result.returncode != 0 and not missing:
        raise RuntimeError("the probe did not compile:\n" + result.stderr)
    return missing


def start_up_references(cc, nm):
    """What MinGW-w64's own start-up code imports, by plain name."""
    objects = []
    for name in ("crt2u.o", "crt2.o", "libmingw32.a"):
        path = subprocess.run([cc, "-print-file-name=" + name], capture_output=True,
                              text=True, check=True).stdout.strip()
        if os.path.isabs(path) and os.path.exists(path):
            objects.append(path)
    listing = subprocess.run([nm, "-u"] + objects, capture_output=True, text=True,
                             check=False).stdout
    names = set()
    for symbol in re.findall(r"\bU\s+(\S+)", listing):
        # __imp__name in 32-bit code (C names get an underscore there),
        # __imp_name in 64-bit code; every reading is kept.
        names.add(symbol)
        for prefix in ("__imp__", "__imp_", "_"):
            if symbol.startswith(prefix):
                names.add(symbol[len(prefix):])
    return names


def problems_of(path, cc, nm, windows):
    pe = pefile.PE(path, fast_load=False)
    found = []
    header = pe.OPTIONAL_HEADER
    for what, version in (
            ("operating system", (header.MajorOperatingSystemVersion,
                                  header.MinorOperatingSystemVersion)),
            ("subsystem", (header.MajorSubsystemVersion, header.MinorSubsystemVersion))):
        if version > windows:
            found.append("the PE header asks for %s version %d.%d" % ((what,) + version))

    imports = imports_of(pe)
    names = sorted({name for _, name in imports if not name.startswith("#")})
    missing = undeclared(cc, VERSIONS[windows], names)
    start_up = start_up_references(cc, nm) if missing else set()
    for dll, name in imports:
        if name.startswith("#"):
            found.append("%s: import by ordinal %s cannot be checked" % (dll, name))
        elif name in NOT_IN_XP or (name in missing and
                                   not (dll == "msvcrt.dll" and name in start_up)):
            found.append("%s: %s is not in Windows %d.%d" % ((dll, name) + windows))
    return found, len(imports)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("program")
    parser.add_argument("--cc", required=True, help="the MinGW-w64 C compiler of the build")
    parser.add_argument("--nm", required=True, help="the MinGW-w64 nm of the build")
    parser.add_argument("--windows", default="5.1", choices=["5.1", "5.2"],
                        help="the oldest Windows version the program must run on")
    parser.add_argument("--expect-found", action="store_true")
    parser.add_argument("--including", action="append", default=[], metavar="FUNCTION",
                        help="with --expect-found: a function that must be among the findings")
    arguments = parser.parse_args(argv[1:])
    windows = tuple(int(part) for part in arguments.windows.split("."))

    found, count = problems_of(arguments.program, arguments.cc, arguments.nm, windows)
    for problem in found:
        print(problem)
    name = os.path.basename(arguments.program)
    if arguments.expect_found:
        unseen = [function for function in arguments.including
                  if not any(problem.endswith(": %s is not in Windows %s" %
                                              (function, arguments.windows))
                             for problem in found)]
        if unseen:
            print("FAILED: the check does not see %s in %s, which Windows %s lacks"
                  % (", ".join(unseen), name, arguments.windows))
            return 1
        if found:
            print("the check sees what Windows %s lacks in %s" % (arguments.windows, name))
            return 0
        print("FAILED: the check found nothing in %s, which asks for more than Windows %s has"
              % (name, arguments.windows))
        return 1
    if found:
        print("FAILED: %s would not start on Windows %s" % (name, arguments.windows))
        return 1
    print("%s: %d imports, all in Windows %s; the PE header asks for no later system"
          % (name, count, arguments.windows))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
