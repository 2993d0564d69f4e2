#!/usr/bin/python3
"""Budget check of a program's size on disk.

    check_size.py PROGRAM.exe LIMIT                 fails when it is larger
    check_size.py --expect-over SAMPLE.exe LIMIT    fails when it is not
                                                    (proves the check reads sizes)
"""

import argparse
import os
import sys


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("program")
    parser.add_argument("limit", type=int)
    parser.add_argument("--expect-over", action="store_true")
    arguments = parser.parse_args()

    size = os.path.getsize(arguments.program)
    over = size > arguments.limit
    ok = over if arguments.expect_over else not over
    print("%s %s: %d bytes, budget %d bytes" % ("ok     " if ok else "FAILED ",
                                                os.path.basename(arguments.program), size,
                                                arguments.limit))
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
