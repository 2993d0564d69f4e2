#!/usr/bin/python3
"""Checks the protections a Windows executable asks the system for.

    check_protections.py PROGRAM.exe                   fails when one is missing
    check_protections.py --expect-missing SAMPLE.exe   fails when one is found
                                                       (proves each check can fail)

In the PE header: relocatable at a random address (ASLR: DYNAMIC_BASE and a
base relocation table to move by), data not executable (DEP: NX_COMPAT),
Terminal Server aware (no compatibility shims), and for a 64-bit program
the whole 64-bit address space for ASLR (HIGH_ENTROPY_VA). In the imports:
only DLLs on the system's KnownDLLs list, which the loader takes from the
system folder whatever lies beside the program; anything else it imports
would be searched beside the program first, before any code of it can
restrict the search. And the calls that harden the process as it starts:
SetDllDirectoryW and HeapSetInformation imported, SetDefaultDllDirectories
named for GetProcAddress (imported, it would keep the program from starting
on Windows XP). Prints one line per check; needs Debian's python3-pefile.
"""

import argparse
import sys

import pefile

DYNAMIC_BASE = 0x0040
HIGH_ENTROPY_VA = 0x0020
NX_COMPAT = 0x0100
TERMINAL_SERVER_AWARE = 0x8000
RELOCS_STRIPPED = 0x0001

# On the KnownDLLs list of every Windows from 7 to 11.
KNOWN_DLLS = {
    "advapi32.dll", "comdlg32.dll", "gdi32.dll", "imagehlp.dll", "imm32.dll", "kernel32.dll",
    "msctf.dll", "msvcrt.dll", "normaliz.dll", "nsi.dll", "ole32.dll", "oleaut32.dll",
    "psapi.dll", "rpcrt4.dll", "sechost.dll", "setupapi.dll", "shell32.dll", "shlwapi.dll",
    "user32.dll", "wldap32.dll", "ws2_32.dll",
}

HARDENING_IMPORTS = {"SetDllDirectoryW", "HeapSetInformation", "GetProcAddress"}


def checks_of(path):
    """[(what, holds)] for the program at `path`."""
    pe = pefile.PE(path)
    header = pe.OPTIONAL_HEADER
    flags = header.DllCharacteristics
    is_64bit = header.Magic == pefile.OPTIONAL_HEADER_MAGIC_PE_PLUS
    relocations = header.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_BASERELOC"]]
    imports = getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])
    dlls = sorted({entry.dll.decode().lower() for entry in imports})
    functions = {symbol.name.decode() for entry in imports for symbol in entry.imports
                 if symbol.name}
    unknown = [dll for dll in dlls if dll not in KNOWN_DLLS]
    with open(path, "rb") as program:
        names_set_default = b"\0SetDefaultDllDirectories\0" in program.read()

    found = [
        ("ASLR: DYNAMIC_BASE", bool(flags & DYNAMIC_BASE)),
        ("ASLR: a base relocation table, relocations not stripped",
         relocations.Size > 0 and not pe.FILE_HEADER.Characteristics & RELOCS_STRIPPED),
        ("DEP: NX_COMPAT", bool(flags & NX_COMPAT)),
        ("TERMINAL_SERVER_AWARE", bool(flags & TERMINAL_SERVER_AWARE)),
    ]
    if is_64bit:
        found.append(("64-bit ASLR: HIGH_ENTROPY_VA", bool(flags & HIGH_ENTROPY_VA)))
    found.append(("imports only DLLs on KnownDLLs (%s)" % ", ".join(unknown or dlls),
                  not unknown))
    missing = sorted(HARDENING_IMPORTS - functions)
    found.append(("imports the hardening calls %s%s" % (", ".join(sorted(HARDENING_IMPORTS)),
                                                        "; lacks " + ", ".join(missing)
                                                        if missing else ""),
                  not missing))
    found.append(("names SetDefaultDllDirectories for GetProcAddress, does not import it",
                  names_set_default and "SetDefaultDllDirectories" not in functions))
    return found


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("program")
    parser.add_argument("--expect-missing", action="store_true",
                        help="every check must fail: the program is a sample without them")
    arguments = parser.parse_args(argv[1:])
    found = checks_of(arguments.program)
    failed = 0
    for what, holds in found:
        good = holds != arguments.expect_missing
        failed += not good
        if arguments.expect_missing:
            print(("ok      missing: " if good else "FAILED  not seen missing: ") + what)
        else:
            print(("ok      " if good else "FAILED  ") + what)
    print("%d passed, %d failed" % (len(found) - failed, failed))
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
