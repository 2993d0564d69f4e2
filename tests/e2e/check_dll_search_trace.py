#!/usr/bin/python3
"""Reads Wine's trace of a launcher run and checks how it set the DLL search.

    check_dll_search_trace.py LOG
    check_dll_search_trace.py --expect-failing CHECK... SAMPLE.log
                 each CHECK (a part of a check's line) must fail on the sample:
                 proves the checks see what they are for

LOG holds what a run of tests/e2e/planted_dll_tests.cpp printed: the line
"planted DLLs: the launcher's process is XXXX" (its id in hex, as Wine writes
it) and Wine's trace of that process (WINEDEBUG=+pid,+loaddll,+relay, relay
limited to SetDefaultDllDirectories, SetDllDirectoryW and CreateProcessW).
In the launcher's process:

1. the first calls of its code are SetDefaultDllDirectories(
   LOAD_LIBRARY_SEARCH_SYSTEM32) and SetDllDirectoryW(L""), and no DLL is
   loaded between the start of its main thread and them;
2. every DLL loaded after them comes from the system folder;
3. Java is started, and each CreateProcessW has SetDllDirectoryW(NULL) as the
   call just before it and SetDllDirectoryW(L"") as the call just after it:
   the default search for the new process, the restriction back for the
   launcher.

Prints the DLLs the process loaded before its code ran and after, and one
line per check; fails when one does not hold.
"""

import argparse
import re
import sys

LAUNCHER = re.compile(r"planted DLLs: the launcher's process is ([0-9a-f]+)")
TRACE = re.compile(r"^([0-9a-f]+):([0-9a-f]+):(.*)$")
LOADED = re.compile(r'trace:loaddll:\w+ Loaded L"(.*)" at \w+: (\w+)')
CALL = re.compile(r"Call KERNEL32\.(\w+)\((.*)\) ret=")
SYSTEM_FOLDERS = ("c:\\windows\\system32\\", "c:\\windows\\syswow64\\")
SEARCH_SYSTEM32 = 0x800


def events_of(lines, pid):
    """[(kind, detail)] of one process, in order: 'loaded' (path), 'start'
    (a thread starts), 'call' ((function, arguments))."""
    events = []
    for line in lines:
        match = TRACE.match(line)
        if not match or int(match.group(1), 16) != pid:
            continue
        text = match.group(3)
        loaded = LOADED.search(text)
        call = CALL.search(text)
        if loaded:
            events.append(("loaded", (loaded.group(1).replace("\\\\", "\\"), loaded.group(2))))
        elif text.startswith("Starting thread proc") or text.startswith("Starting process"):
            events.append(("start", text))
        elif call:
            events.append(("call", (call.group(1), call.group(2))))
    return events


def is_null(arguments):
    return re.fullmatch(r"0+", arguments.strip()) is not None


def is_empty_text(arguments):
    return arguments.rstrip().endswith('L""')


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("log")
    parser.add_argument("--expect-failing", action="append", default=[], metavar="CHECK")
    arguments = parser.parse_args(argv[1:])
    with open(arguments.log, encoding="utf-8", errors="replace") as log:
        lines = log.read().splitlines()
    pids = [int(m.group(1), 16) for m in map(LAUNCHER.search, lines) if m]
    if not pids:
        print("FAILED  the log names no launcher process: did the test run?")
        return 1
    pid = pids[-1]
    events = events_of(lines, pid)
    calls = [(i, detail) for i, (kind, detail) in enumerate(events) if kind == "call"]
    starts = [i for i, (kind, _) in enumerate(events) if kind == "start"]
    results = []

    def check(condition, what):
        results.append((condition, what))
        print(("ok      " if condition else "FAILED  ") + what)

    main_start = starts[0] if starts else None
    first = calls[0] if calls else (main_start or 0, ("none", ""))
    second = calls[1] if len(calls) > 1 else (main_start or 0, ("none", ""))
    restricted = (first[1][0] == "SetDefaultDllDirectories" and
                  int(first[1][1].strip() or "0", 16) == SEARCH_SYSTEM32 and
                  second[1][0] == "SetDllDirectoryW" and is_empty_text(second[1][1]))
    check(restricted, "its code first calls SetDefaultDllDirectories(0x800), then "
          "SetDllDirectoryW(L\"\") (seen: %s(%s), %s(%s))" %
          (first[1][0], first[1][1], second[1][0], second[1][1]))
    check(restricted and main_start is not None and main_start < first[0] and
          not any(kind == "loaded" for kind, _ in events[main_start:first[0]]),
          "no DLL loaded between the start of its main thread and the restriction")

    # Wine names a DLL by the path its search found, also when it takes its
    # own builtin in place of the file found there.
    before = ["%s (%s)" % d for kind, d in events[:main_start or 0] if kind == "loaded"]
    # Without the restriction, everything its code made the system load.
    after = [d for kind, d in events[first[0] if restricted else main_start or 0:]
             if kind == "loaded"]
    print("        loaded before its code ran: " + ", ".join(before))
    print("        loaded once its code ran: " +
          (", ".join("%s (%s)" % d for d in after) or "none"))
    outside = [path for path, _ in after if not path.lower().startswith(SYSTEM_FOLDERS)]
    check(not outside, "every DLL loaded after the restriction is from the system folder%s" %
          (" (not: " + ", ".join(outside) + ")" if outside else ""))

    starts_of_java = [n for n, (i, (function, _)) in enumerate(calls)
                      if function == "CreateProcessW"]
    check(bool(starts_of_java), "it starts a program (CreateProcessW)")
    for n in starts_of_java:
        before_call = calls[n - 1][1] if n > 0 else ("none", "")
        after_call = calls[n + 1][1] if n + 1 < len(calls) else ("none", "")
        check(before_call[0] == "SetDllDirectoryW" and is_null(before_call[1]),
              "SetDllDirectoryW(NULL) just before CreateProcessW (seen: %s(%s))" % before_call)
        check(after_call[0] == "SetDllDirectoryW" and is_empty_text(after_call[1]),
              "SetDllDirectoryW(L\"\") just after CreateProcessW (seen: %s(%s))" % after_call)
    failed = [what for holds, what in results if not holds]
    print("%d passed, %d failed" % (len(results) - len(failed), len(failed)))
    if arguments.expect_failing:
        unseen = [part for part in arguments.expect_failing
                  if not any(part in what for what in failed)]
        print(("ok      the sample fails: " + "; ".join(arguments.expect_failing)) if not unseen
              else "FAILED  the sample passes what it must fail: " + "; ".join(unseen))
        return 0 if not unseen else 1
    return 0 if not failed else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
