#!/usr/bin/python3
"""Budget check of a program's link: no iostreams and no locale machinery.

    check_link_map.py PROGRAM.map              fails when the link took any
    check_link_map.py --expect-found SAMPLE.map  fails when it took none
                                                 (proves the check sees them)

The C++ library's streams and locales come as members of libstdc++.a: the
stream objects (ios_init.o, ostream-inst.o, ...), the locale and its facets
(locale_init.o, locale-inst.o, codecvt.o, ctype.o, ...). A program that uses
none of them takes none of these members. The symbols of std::locale,
std::ios_base and the stream classes are looked for as well, wherever they
came from.
"""

import argparse
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from link_map import LinkMap  # noqa: E402

# Members of libstdc++.a that belong to the streams or the locales.
_STREAM_OR_LOCALE_MEMBER = re.compile(
    r"(^|[-_])(ios|iostream|istream|ostream|sstream|fstream|streambuf|stdio_filebuf|"
    r"stdio_sync_filebuf|basic_file|globals_io|locale|localename|locale_init|locale_facets|"
    r"codecvt|ctype|messages|monetary|numeric|time|collate)([-_.]|$)")

_STREAM_OR_LOCALE_SYMBOL = re.compile(
    r"std::locale\b|std::ios_base\b|std::basic_ios<|std::basic_[io]?stream<|"
    r"std::basic_streambuf<|std::ctype<|std::codecvt<|std::num_put<|std::num_get<|"
    r"_ZNSt6locale|_ZNSt8ios_base|_ZNSo|_ZNSi")


def findings(link_map, text):
    found = []
    for library, member, reason in link_map.members:
        if library.startswith("libstdc++") and _STREAM_OR_LOCALE_MEMBER.search(member):
            found.append("%s(%s) taken for %s" % (library, member, re.sub(r"\S*/", "", reason)))
    symbols = sorted(set(m.group(0) for m in _STREAM_OR_LOCALE_SYMBOL.finditer(text)))
    found.extend("symbol " + symbol + "..." for symbol in symbols)
    return found


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("map")
    parser.add_argument("--expect-found", action="store_true")
    arguments = parser.parse_args()

    with open(arguments.map, encoding="utf-8", errors="replace") as map_file:
        text = map_file.read()
    link_map = LinkMap(text)
    if not link_map.members:
        print("FAILED  %s lists no archive members: not a map of a static link" % arguments.map)
        return 1
    found = findings(link_map, text)
    for line in found:
        print("        " + line)
    if arguments.expect_found:
        ok = bool(found)
        print(("ok      " if ok else "FAILED  ") + "the sample's iostreams are seen in its map")
    else:
        ok = not found
        print(("ok      " if ok else "FAILED  ") +
              "no iostreams or locale machinery in %s (%d archive members)" %
              (os.path.basename(arguments.map), len(link_map.members)))
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
