#!/usr/bin/env python3
"""Checks that a signed program is its unsigned build plus a signature.

Authenticode signing may change only three things: the PE checksum, the
certificate table entry of the data directories, and the signature appended
at the end of the file (after padding to 8 bytes). Everything else must be
byte for byte the unsigned build, so anyone can check that the signed file
was made from the reproducible build.

    check_signed.py UNSIGNED.exe SIGNED.exe
"""

import struct
import sys

import pefile

SECURITY_DIRECTORY = pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_SECURITY"]


def changeable_fields(pe):
    """(offset, size) of the checksum and of the certificate table entry."""
    checksum = pe.OPTIONAL_HEADER.get_field_absolute_offset("CheckSum")
    entry = pe.OPTIONAL_HEADER.DATA_DIRECTORY[SECURITY_DIRECTORY].get_file_offset()
    return [(checksum, 4), (entry, 8)]


def differences(unsigned, signed):
    found = []
    pe = pefile.PE(data=signed, fast_load=True)
    table = pe.OPTIONAL_HEADER.DATA_DIRECTORY[SECURITY_DIRECTORY]
    if table.VirtualAddress == 0 or table.Size == 0:
        return ["the signed file has no certificate table"]
    end = table.VirtualAddress + table.Size
    if table.VirtualAddress < len(unsigned) or end != len(signed):
        found.append("the certificate table (%d bytes at %d) is not what follows the unsigned "
                     "build (%d bytes) up to the end (%d bytes)" %
                     (table.Size, table.VirtualAddress, len(unsigned), len(signed)))
    padding = signed[len(unsigned):table.VirtualAddress]
    if padding.strip(b"\0") or len(padding) >= 8:
        found.append("%d bytes other than alignment padding before the signature" % len(padding))

    masked_unsigned = bytearray(unsigned)
    masked_signed = bytearray(signed[:len(unsigned)])
    for offset, size in changeable_fields(pe):
        masked_unsigned[offset:offset + size] = b"\0" * size
        masked_signed[offset:offset + size] = b"\0" * size
    if masked_unsigned != masked_signed:
        first = next(i for i, (a, b) in enumerate(zip(masked_unsigned, masked_signed)) if a != b)
        found.append("the signed file differs from the unsigned build at byte %d" % first)
    length, revision, kind = struct.unpack_from("<IHH", signed, table.VirtualAddress)
    if (revision, kind) != (0x0200, 0x0002) or length > table.Size:
        found.append("the certificate table holds no PKCS#7 signature (revision %#x, type %#x)"
                     % (revision, kind))
    return found


def main(argv):
    if len(argv) != 3:
        print(__doc__)
        return 2
    with open(argv[1], "rb") as f:
        unsigned = f.read()
    with open(argv[2], "rb") as f:
        signed = f.read()
    found = differences(unsigned, signed)
    for difference in found:
        print(difference)
    if found:
        print("FAILED: the signed file is not the unsigned build plus a signature")
        return 1
    print("only the signature, the PE checksum and the certificate table entry differ "
          "(%d bytes of signature)" % (len(signed) - len(unsigned)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
