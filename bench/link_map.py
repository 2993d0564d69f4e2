"""Reads a GNU ld map file (-Wl,-Map=FILE) of a MinGW-w64 link.

What the benchmark report and the budget checks need from it: which archive
members the linker took and why, and how many bytes each input file put
into each output section.
"""

import collections
import os
import re

_OUTPUT_SECTION = re.compile(r"^(\.[\w$.]+)\s+0x[0-9a-f]+\s+0x([0-9a-f]+)")
_INPUT_SECTION_ALONE = re.compile(r"^ (\.\S+)\s*$")
_INPUT_SECTION = re.compile(r"^ (\.\S+)?\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S.*)$")
_ARCHIVE_MEMBER = re.compile(r"^(\S+)\((\S+)\)\s*$")


class LinkMap:
    def __init__(self, text):
        lines = text.splitlines()
        self.members = []  # (archive file name, member name, reason)
        self.contributions = collections.defaultdict(collections.Counter)
        self._read_members(lines)
        self._read_sections(lines)

    @classmethod
    def read(cls, path):
        with open(path, encoding="utf-8", errors="replace") as map_file:
            return cls(map_file.read())

    def _read_members(self, lines):
        try:
            start = lines.index("Archive member included to satisfy reference by file (symbol)")
        except ValueError:
            return
        pending = None
        for line in lines[start + 1:]:
            if line.startswith(("Discarded input sections", "Memory Configuration",
                                "Allocating common symbols")):
                break
            if not line.strip():
                continue
            if not line.startswith(" "):
                head = line.split()[0]
                member = _ARCHIVE_MEMBER.match(head)
                pending = (os.path.basename(member.group(1)), member.group(2)) if member else None
                rest = line[len(head):].strip()
                if pending and rest:
                    self.members.append(pending + (rest,))
                    pending = None
            elif pending:
                self.members.append(pending + (line.strip(),))
                pending = None

    def _read_sections(self, lines):
        try:
            start = lines.index("Linker script and memory map")
        except ValueError:
            return
        output = None
        waiting = False
        for line in lines[start + 1:]:
            section = _OUTPUT_SECTION.match(line)
            if section:
                output = section.group(1)
                continue
            alone = _INPUT_SECTION_ALONE.match(line)
            if alone:
                waiting = True
                continue
            piece = _INPUT_SECTION.match(line)
            if piece and output and (piece.group(1) or waiting):
                self.contributions[output][piece.group(3).strip()] += int(piece.group(2), 16)
            waiting = False

    def bytes_by_library(self, sections):
        """{library or object file name: bytes} over the given output sections."""
        total = collections.Counter()
        for section in sections:
            for source, size in self.contributions.get(section, {}).items():
                total[library_of(source)] += size
        return total

    def bytes_by_member(self, sections):
        """{"library(member)" or object file name: bytes}."""
        total = collections.Counter()
        for section in sections:
            for source, size in self.contributions.get(section, {}).items():
                total[short_name(source)] += size
        return total


def short_name(source):
    """'/x/libstdc++.a(string-inst.o)' -> 'libstdc++.a(string-inst.o)'."""
    member = _ARCHIVE_MEMBER.match(source)
    if member:
        return "%s(%s)" % (os.path.basename(member.group(1)), member.group(2))
    return os.path.basename(source)


def library_of(source):
    """'/x/libstdc++.a(string-inst.o)' -> 'libstdc++.a'; an object file keeps its name."""
    member = _ARCHIVE_MEMBER.match(source)
    return os.path.basename(member.group(1)) if member else os.path.basename(source)
