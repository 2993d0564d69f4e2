#!/usr/bin/python3
"""Checks the resources and imports of the built TovaneQuillon.exe.

    check_exe.py TovaneQuillon.exe RESOURCES_FOLDER
    check_exe.py --sees-ole32-in PROGRAM.exe

Prints one line per check and 'N passed, N failed'; exits non-zero on any
failure. The second form checks the imports of a program that imports
ole32.dll and passes only when the check refuses it for that: the check
cannot pass by seeing nothing. Needs Debian's python3-pefile.
"""

import os
import struct
import sys
import xml.etree.ElementTree as ElementTree

import pefile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from gif_reading import gif_blocks, lzw_pixel_count  # noqa: E402

RT_ICON, RT_RCDATA, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 10, 14, 16, 24

# (size, bit count as listed, bytes of a bitmap image or None for PNG)
ICON_TABLE = [
    (48, 1, 816), (32, 1, 304), (16, 1, 176),
    (256, 4, None), (48, 4, 1640), (32, 4, 744), (16, 4, 296),
    (256, 8, None), (48, 8, 3752), (32, 8, 2216), (16, 8, 1384),
    (256, 32, None), (128, 32, 67624), (96, 32, 38056), (80, 32, 26600), (72, 32, 21640),
    (64, 32, 16936), (48, 32, 9640), (32, 32, 4264), (16, 32, 1128),
]
FIRST_ICON_ID = 30001

SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "ole32.dll", "oleaut32.dll",
    "msvcrt.dll", "comctl32.dll", "shell32.dll", "shlwapi.dll", "version.dll", "ntdll.dll",
    "uuid.dll",
}

# System DLLs the launcher must not import, and why.
REFUSED_DLLS = {
    # COM: the splash draws its picture with GDI alone (platform/win32/
    # splash_picture.cpp), and starting COM costs every start of the
    # launcher more DLLs, time and memory than the picture itself.
    "ole32.dll": "no COM",
}

SUPPORTED_OS = {
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # Windows 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # Windows 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # Windows 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # Windows 10 and 11
}

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


class Checks:
    def __init__(self):
        self.passed = 0
        self.failed = []

    def check(self, condition, what):
        if condition:
            self.passed += 1
            print("ok      " + what)
        else:
            self.failed.append(what)
            print("FAILED  " + what)
        return condition


# --- Reading the resource tree -------------------------------------------------


def resources_of(pe, type_id):
    """[(id or name, lang, sublang, bytes)] of one resource type."""
    found = []
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if kind.id != type_id:
            continue
        for name in kind.directory.entries:
            key = name.id if name.id is not None else str(name.name)
            for language in name.directory.entries:
                entry = language.data.struct
                data = pe.get_data(entry.OffsetToData, entry.Size)
                found.append((key, language.data.lang, language.data.sublang, data))
    return found


# --- Icon -------------------------------------------------------------------------


def group_entries(data):
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    entries = [struct.unpack_from("<BBBBHHIH", data, 6 + 14 * i) for i in range(count)]
    return (reserved, kind, count), entries


def ico_images(data):
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    images = []
    for i in range(count):
        fields = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        images.append((fields[:6], data[fields[7]:fields[7] + fields[6]]))
    return (reserved, kind, count), images


def check_icon(c, pe, resources_folder):
    groups = resources_of(pe, RT_GROUP_ICON)
    c.check([g[0] for g in groups] == [1], "one icon group, id 1")
    if not groups:
        return
    _, lang, sublang, data = groups[0]
    c.check((lang, sublang) == (0, 0), "icon group is language neutral")
    header, entries = group_entries(data)
    c.check(header == (0, 1, 20), "icon group lists 20 images")
    c.check([e[7] for e in entries] == list(range(FIRST_ICON_ID, FIRST_ICON_ID + 20)),
            "icon group points at 30001..30020 in order")

    images = {key: (lang, sublang, body) for key, lang, sublang, body in resources_of(pe, RT_ICON)}
    c.check(sorted(images) == list(range(FIRST_ICON_ID, FIRST_ICON_ID + 20)),
            "icon images are resources 30001..30020 and nothing else")
    c.check(all(v[:2] == (0, 0) for v in images.values()), "icon images are language neutral")

    with open(os.path.join(resources_folder, "TovaneQuillon.ico"), "rb") as f:
        ico_header, ico = ico_images(f.read())
    c.check(ico_header == (0, 1, 20), "TovaneQuillon.ico holds 20 images")

    for i, (size, bits, byte_size) in enumerate(ICON_TABLE):
        number = i + 1
        if i >= len(entries):
            c.check(False, "image %d is listed" % number)
            continue
        width, height, colours, reserved, planes, bitcount, length, image_id = entries[i]
        listed = 0 if size == 256 else size
        c.check((width, height, planes, bitcount) == (listed, listed, 1, bits),
                "image %d listed as %dx%d, %d bits" % (number, size, size, bits))
        body = images.get(image_id, (0, 0, b""))[2]
        c.check(len(body) == length, "image %d: listed byte count is its size" % number)
        if byte_size is None:
            ihdr = struct.unpack_from(">IIBB", body, 16) if len(body) >= 26 else None
            c.check(body[:8] == PNG_SIGNATURE and body[12:16] == b"IHDR" and
                    ihdr == (256, 256, 8, 6),
                    "image %d is a 256x256 8-bit RGBA PNG" % number)
        else:
            header_fields = struct.unpack_from("<IiiHH", body, 0) if len(body) >= 16 else None
            c.check(len(body) == byte_size, "image %d is %d bytes" % (number, byte_size))
            c.check(header_fields == (40, size, 2 * size, 1, bits),
                    "image %d is a %d-bit %dx%d bitmap with its mask" % (number, bits, size, size))
        name = "%d.%s" % (image_id, "png" if byte_size is None else "dib")
        with open(os.path.join(resources_folder, "icon", name), "rb") as f:
            c.check(f.read() == body, "image %d is resources/icon/%s" % (number, name))
        if i < len(ico):
            c.check(ico[i][1] == body and ico[i][0] == entries[i][:6],
                    "image %d is the same in TovaneQuillon.ico" % number)


# --- Version record --------------------------------------------------------------------


def check_version(c, pe):
    versions = resources_of(pe, RT_VERSION)
    c.check([(v[0], v[1], v[2]) for v in versions] == [(1, 9, 1)],
            "one version record, id 1, language 1033")
    fixed = pe.VS_FIXEDFILEINFO[0]
    c.check((fixed.FileVersionMS, fixed.FileVersionLS) == (0x00010000, 0),
            "file version 1.0.0.0")
    c.check((fixed.ProductVersionMS, fixed.ProductVersionLS) == (0x00010000, 0),
            "product version 1.0.0.0")
    c.check(fixed.FileFlags == 0, "no file flags")
    c.check(fixed.FileOS == 0x00000004, "operating system VOS__WINDOWS32")
    c.check(fixed.FileType == 1, "file type VFT_APP")

    tables = []
    translations = []
    for info in pe.FileInfo[0]:
        if info.Key == b"StringFileInfo":
            tables.extend(info.StringTable)
        elif info.Key == b"VarFileInfo":
            for var in info.Var:
                value = var.entry.get(b"Translation")
                translations.append(value.decode() if isinstance(value, bytes) else value)
    c.check([t.LangID.upper() for t in tables] == [b"040904B0"], "one string table, 040904B0")
    c.check(translations == ["0x0409 0x04b0"], "only translation 0x0409 0x04B0")
    strings = tables[0].entries if tables else {}
    expected = {b"FileVersion": b"1.00", b"ProductVersion": b"1.00", b"CompanyName": b"tovane",
                b"ProductName": b"Tovane Quillon", b"InternalName": b"TovaneQuillon",
                b"OriginalFilename": b"TovaneQuillon.exe"}
    for key, value in expected.items():
        c.check(strings.get(key) == value, "%s is %r" % (key.decode(), value.decode()))


# --- Manifest ----------------------------------------------------------------------------------


def check_manifest(c, pe, resources_folder):
    manifests = resources_of(pe, RT_MANIFEST)
    c.check([m[0] for m in manifests] == [1], "exactly one manifest, id 1")
    if not manifests:
        return
    data = manifests[0][3]
    with open(os.path.join(resources_folder, "TovaneQuillon.manifest"), "rb") as f:
        c.check(f.read() == data, "the manifest is resources/TovaneQuillon.manifest")
    root = ElementTree.fromstring(data)
    v1 = "{urn:schemas-microsoft-com:asm.v1}"
    v3 = "{urn:schemas-microsoft-com:asm.v3}"
    compatibility = "{urn:schemas-microsoft-com:compatibility.v1}"
    settings = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"

    levels = [e.attrib for e in root.iter(v3 + "requestedExecutionLevel")]
    c.check(levels == [{"level": "asInvoker", "uiAccess": "false"}],
            "asInvoker, no UI access (no file virtualization)")
    os_ids = {e.attrib.get("Id", "").lower() for e in root.iter(compatibility + "supportedOS")}
    c.check(os_ids == SUPPORTED_OS, "supported OS: Windows 7, 8, 8.1, 10/11")
    controls = [e.attrib for e in root.iter(v1 + "assemblyIdentity")
                if e.attrib.get("name") == "Microsoft.Windows.Common-Controls"]
    c.check(len(controls) == 1 and controls[0].get("version") == "6.0.0.0" and
            controls[0].get("processorArchitecture") == "*" and
            controls[0].get("publicKeyToken") == "6595b64144ccf1df",
            "depends on Common Controls 6 of the program's own processor")
    # Windows XP refuses to start a program whose manifest has an element of
    # the asm.v1 namespace it does not know; what later systems read lives in
    # namespaces of its own, which XP passes over.
    xp_elements = {"assembly", "assemblyIdentity", "description", "dependency",
                   "dependentAssembly", "file", "noInherit"}
    unknown = sorted({e.tag[len(v1):] for e in root.iter() if e.tag.startswith(v1)} - xp_elements)
    c.check(not unknown, "only elements Windows XP knows in the asm.v1 namespace (%s)" %
            ", ".join(unknown or ["none other"]))
    dpi = [e.text.strip().lower() for e in root.iter(settings + "dpiAware")]
    c.check(dpi == ["true"], "system DPI aware")
    c.check(not list(root.iter("{http://schemas.microsoft.com/SMI/2016/WindowsSettings}"
                               "dpiAwareness")),
            "no per-monitor DPI awareness")


# --- Splash picture ------------------------------------------------------------------------------


def check_splash(c, pe, resources_folder):
    pictures = [r for r in resources_of(pe, RT_RCDATA) if r[0] == "SPLASH"]
    c.check(len(pictures) == 1, "one splash picture resource (RCDATA SPLASH)")
    if not pictures:
        return
    data = pictures[0][3]
    with open(os.path.join(resources_folder, "splash.gif"), "rb") as f:
        c.check(f.read() == data, "the embedded picture is resources/splash.gif")
    c.check(data[:6] == b"GIF89a", "GIF89a")
    width, height, packed, background, aspect = struct.unpack_from("<HHBBB", data, 6)
    c.check((width, height) == (493, 446), "logical screen 493 x 446")
    c.check(packed & 0x80 and (packed & 7) == 7, "global colour table of 256 entries")
    c.check((packed >> 4) & 7 == 7, "colour resolution 8 bits")
    c.check(background == 0, "background colour index 0")
    c.check(aspect == 0, "pixel aspect ratio byte 0")

    blocks, end = gif_blocks(data)
    c.check(blocks and blocks[-1][0] == "trailer" and end == len(data),
            "blocks end with the trailer, nothing after it")
    controls = [b[1][1] for b in blocks if b[0] == "extension" and b[1][0] == 0xF9]
    c.check(len(controls) == 1, "exactly one graphic control extension")
    if controls:
        fields = controls[0]
        c.check(len(fields) == 4 and fields[0] & 1 == 0, "no transparency")
        c.check(len(fields) == 4 and struct.unpack_from("<H", fields, 1)[0] == 0, "no delay")
    kinds = [b[0] for b in blocks]
    c.check(kinds.count("image") == 1, "one image")
    images = [b[1] for b in blocks if b[0] == "image"]
    if images:
        left, top, w, h, image_packed, min_code_size, lzw = images[0]
        c.check((left, top, w, h) == (0, 0, 493, 446), "the image covers the logical screen")
        c.check(image_packed & 0x40 == 0, "not interlaced")
        c.check(image_packed & 0x80 == 0, "no local colour table")
        first_image = kinds.index("image")
        control_index = next((i for i, b in enumerate(blocks)
                              if b[0] == "extension" and b[1][0] == 0xF9), None)
        c.check(control_index is not None and control_index < first_image,
                "the graphic control extension comes before the image")
        c.check(lzw_pixel_count(min_code_size, lzw) == 493 * 446,
                "the image data holds exactly 493 x 446 pixels")


# --- Imports ---------------------------------------------------------------------------


def check_imports(c, pe):
    names = sorted({entry.dll.decode().lower() for entry in pe.DIRECTORY_ENTRY_IMPORT})
    others = [n for n in names if n not in SYSTEM_DLLS]
    c.check(not others, "imports Windows system DLLs only (%s)" % ", ".join(others or names))
    for dll, why in sorted(REFUSED_DLLS.items()):
        c.check(dll not in names, "does not import %s (%s)" % (dll, why))


def sees_ole32(program):
    c = Checks()
    check_imports(c, pefile.PE(program))
    seen = any("import ole32.dll" in what for what in c.failed)
    print("%s: the import check %s its ole32.dll import" %
          (os.path.basename(program), "refuses" if seen else "FAILED to see"))
    return 0 if seen else 1


def main(argv):
    if len(argv) == 3 and argv[1] == "--sees-ole32-in":
        return sees_ole32(argv[2])
    exe, resources_folder = argv[1], argv[2]
    pe = pefile.PE(exe)
    c = Checks()
    check_icon(c, pe, resources_folder)
    check_version(c, pe)
    check_manifest(c, pe, resources_folder)
    check_splash(c, pe, resources_folder)
    check_imports(c, pe)
    print("%d passed, %d failed" % (c.passed, len(c.failed)))
    return 0 if not c.failed else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
