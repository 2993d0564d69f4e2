#!/usr/bin/python3
"""Turns one benchmark run into a table and a results file.

    report.py --startup STARTUP.csv --micro MICRO.json --exe TovaneQuillon.exe
              --map TovaneQuillon.map --floor-exe floor.exe --wine-version TEXT
              --load-before TEXT --out RESULTS.json

STARTUP.csv comes from start_up_bench.exe (one row per run), MICRO.json from
the Google Benchmark program (--benchmark_out). Prints the table and writes
everything, the single runs included, to RESULTS.json. Sizes: KB = 1000
bytes, KiB = 1024 bytes.
"""

import argparse
import csv
import datetime
import json
import os
import platform
import statistics
import sys

import pefile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from link_map import LinkMap  # noqa: E402

# Start-up figures, in the order they are shown, with the target on the
# launcher's overhead over the floor (ms) where there is one: met when both
# the difference of the medians and the median of the paired differences
# are within it.
STARTUP_FIGURES = [
    ("start_to_visible_ms", "process start -> window visible", 10.0),
    ("tick_to_child_ms", "timer tick -> child created", 20.0),
    ("child_to_exit_ms", "child created -> exit", 20.0),
    ("start_to_child_ms", "process start -> child created", None),
]
EXE_TARGET_BYTES = 600_000
WORKING_SET_TARGET_BYTES = 1_000_000


def median(values):
    return statistics.median(values) if values else float("nan")


def quartiles(values):
    if len(values) < 2:
        return (values[0], values[0]) if values else (float("nan"), float("nan"))
    q = statistics.quantiles(values, n=4, method="inclusive")
    return q[0], q[2]


# --- Machine ------------------------------------------------------------------


def machine(wine_version, load_before, flavour):
    model = "unknown"
    with open("/proc/cpuinfo", encoding="utf-8") as cpuinfo:
        for line in cpuinfo:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    with open("/proc/loadavg", encoding="utf-8") as loadavg:
        load_after = " ".join(loadavg.read().split()[:3])
    return {
        "nproc": os.cpu_count(),
        "cpu": model,
        "os": platform.platform(),
        "wine": wine_version.strip(),
        "flavour": flavour,
        "load_average_before": load_before.strip(),
        "load_average_after": load_after,
        "when_utc": datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M:%S"),
    }


# --- Start-up -------------------------------------------------------------------


def read_startup(path):
    with open(path, newline="", encoding="utf-8") as csv_file:
        rows = list(csv.DictReader(csv_file))
    for row in rows:
        for key in row:
            if key != "program":
                row[key] = float(row[key])
    return rows


def startup_summary(rows):
    runs = {program: {int(r["run"]): r for r in rows if r["program"] == program}
            for program in ("launcher", "floor")}
    paired_runs = sorted(set(runs["launcher"]) & set(runs["floor"]))
    figures = []
    for key, label, target in STARTUP_FIGURES:
        launcher = [r[key] for r in runs["launcher"].values()]
        floor = [r[key] for r in runs["floor"].values()]
        paired = [runs["launcher"][n][key] - runs["floor"][n][key] for n in paired_runs]
        overhead = median(launcher) - median(floor)
        paired_overhead = median(paired)
        figures.append({
            "figure": key,
            "label": label,
            "launcher_median_ms": median(launcher),
            "launcher_quartiles_ms": quartiles(launcher),
            "launcher_best_ms": min(launcher),
            "floor_median_ms": median(floor),
            "floor_best_ms": min(floor),
            "floor_quartiles_ms": quartiles(floor),
            "ratio": median(launcher) / median(floor) if median(floor) else float("nan"),
            "overhead_ms": overhead,
            "paired_overhead_median_ms": paired_overhead,
            "target_overhead_ms": target,
            "met": None if target is None else max(overhead, paired_overhead) <= target,
        })
    usage = {}
    for program in ("launcher", "floor"):
        working_sets = [r["peak_working_set_bytes"] for r in runs[program].values()]
        handles = [r["peak_handle_count"] for r in runs[program].values()]
        usage[program] = {
            "peak_working_set_median_bytes": median(working_sets),
            "peak_working_set_max_bytes": max(working_sets),
            "peak_handles_median": median(handles),
            "peak_handles_max": max(handles),
            "exit_codes": sorted(set(int(r["exit_code"]) for r in runs[program].values())),
        }
    difference = (usage["launcher"]["peak_working_set_median_bytes"] -
                  usage["floor"]["peak_working_set_median_bytes"])
    usage["working_set_difference_bytes"] = difference
    usage["working_set_target_bytes"] = WORKING_SET_TARGET_BYTES
    usage["met"] = difference <= WORKING_SET_TARGET_BYTES
    summary = {"runs_each": min(len(runs["launcher"]), len(runs["floor"])), "figures": figures,
               "usage": usage}
    settings = {int(r["run"]): r for r in rows if r["program"] == "settings"}
    if settings:
        # The same launcher with a settings file beside it (options, the
        # guard, a log), against the launcher without one, run by run.
        paired_settings = sorted(set(settings) & set(runs["launcher"]))
        key = "start_to_visible_ms"
        summary["with_settings"] = {
            "runs": len(settings),
            "start_to_visible_median_ms": median([r[key] for r in settings.values()]),
            "start_to_visible_quartiles_ms": quartiles([r[key] for r in settings.values()]),
            "without_settings_median_ms": median([r[key] for r in runs["launcher"].values()]),
            "paired_difference_median_ms": median(
                [settings[n][key] - runs["launcher"][n][key] for n in paired_settings]),
            "peak_working_set_median_bytes": median(
                [r["peak_working_set_bytes"] for r in settings.values()]),
            "exit_codes": sorted(set(int(r["exit_code"]) for r in settings.values())),
        }
    return summary


# --- The executable --------------------------------------------------------------


def executable(path, map_path):
    pe = pefile.PE(path)
    sections = {s.Name.rstrip(b"\0").decode(): s.SizeOfRawData for s in pe.sections}
    total = os.path.getsize(path)
    resources = sections.get(".rsrc", 0)
    imports = sorted(entry.dll.decode().lower() for entry in pe.DIRECTORY_ENTRY_IMPORT)
    result = {
        "file": os.path.basename(path),
        "total_bytes": total,
        "code_bytes": sections.get(".text", 0),
        "code_and_data_bytes": total - resources,
        "resource_bytes": resources,
        "sections": sections,
        "imported_dlls": imports,
        "target_bytes": EXE_TARGET_BYTES,
        "met": total <= EXE_TARGET_BYTES,
    }
    if map_path and os.path.exists(map_path):
        link_map = LinkMap.read(map_path)
        code_sections = (".text", ".rdata", ".data", ".eh_frame")
        result["code_by_library"] = dict(link_map.bytes_by_library(code_sections).most_common())
        result["code_by_member_top"] = dict(link_map.bytes_by_member(code_sections).most_common(15))
    return result


# --- Micro-benchmarks -------------------------------------------------------------


def micro(path):
    with open(path, encoding="utf-8") as json_file:
        data = json.load(json_file)
    benchmarks = []
    for b in data.get("benchmarks", []):
        if b.get("run_type", "iteration") != "iteration":
            continue
        entry = {"name": b["name"], "real_time": b["real_time"], "cpu_time": b["cpu_time"],
                 "time_unit": b["time_unit"], "iterations": b["iterations"]}
        if "per_subkey" in b:
            entry["per_subkey_ns"] = b["per_subkey"] * 1e9
        benchmarks.append(entry)
    per_subkey = [b["per_subkey_ns"] for b in benchmarks if "per_subkey_ns" in b]
    linearity = None
    if len(per_subkey) >= 2:
        # Linear: the cost per subkey stays flat while the count grows 1000-fold
        # (a quadratic cost would grow it 1000-fold too).
        linearity = {"per_subkey_ns": per_subkey,
                     "largest_over_smallest": per_subkey[-1] / per_subkey[0]}
    return {"context": {k: data.get("context", {}).get(k) for k in
                        ("num_cpus", "mhz_per_cpu", "load_avg", "library_build_type")},
            "benchmarks": benchmarks, "enum_subkeys_linearity": linearity}


# --- The table -----------------------------------------------------------------


def kib(value):
    return "%.1f KiB" % (value / 1024)


def print_table(results):
    m = results["machine"]
    print()
    print("Machine: %s, nproc %s, %s; load average %s before, %s after" %
          (m["cpu"], m["nproc"], m["wine"], m["load_average_before"], m["load_average_after"]))
    print("Windows programs: the %s build" % m.get("flavour", "win32"))
    s = results["startup"]
    print()
    print("Start-up under Wine, median of %d runs each (quartiles in brackets), best run, ms" %
          s["runs_each"])
    print("%-32s %30s %30s %6s %9s %9s %s" % ("figure", "launcher", "floor", "ratio", "overhead",
                                              "paired", "target on overhead"))
    for f in s["figures"]:
        target = "-" if f["target_overhead_ms"] is None else (
            "<=%g %s" % (f["target_overhead_ms"], "met" if f["met"] else "MISSED"))
        print("%-32s %8.1f [%5.0f-%5.0f] best %7.1f %8.1f [%5.0f-%5.0f] best %7.1f %6.3f %9.1f %9.1f %s"
              % (f["label"], f["launcher_median_ms"], *f["launcher_quartiles_ms"],
                 f["launcher_best_ms"], f["floor_median_ms"], *f["floor_quartiles_ms"],
                 f["floor_best_ms"], f["ratio"], f["overhead_ms"], f["paired_overhead_median_ms"],
                 target))
    u = s["usage"]
    print()
    print("%-34s %14s %14s %12s" % ("process, read from outside", "launcher", "floor", "difference"))
    print("%-34s %14s %14s %12s  target <=%g MB %s" % (
        "peak working set (median)", kib(u["launcher"]["peak_working_set_median_bytes"]),
        kib(u["floor"]["peak_working_set_median_bytes"]), kib(u["working_set_difference_bytes"]),
        u["working_set_target_bytes"] / 1e6, "met" if u["met"] else "MISSED"))
    print("%-34s %14d %14d %12d" % ("peak handle count (median)", u["launcher"]["peak_handles_median"],
                                    u["floor"]["peak_handles_median"],
                                    u["launcher"]["peak_handles_median"] -
                                    u["floor"]["peak_handles_median"]))
    w = s.get("with_settings")
    if w:
        print()
        print("With a settings file (options, single instance, a decision log), %d runs:" % w["runs"])
        print("  process start -> window visible %.1f ms [%.0f-%.0f], without one %.1f ms; "
              "paired difference %.1f ms; peak working set %s; exit codes %s" % (
                  w["start_to_visible_median_ms"], *w["start_to_visible_quartiles_ms"],
                  w["without_settings_median_ms"], w["paired_difference_median_ms"],
                  kib(w["peak_working_set_median_bytes"]), w["exit_codes"]))
    e = results["executable"]
    print()
    print("%s: %d bytes (%s) total, target <=600 KB %s" % (
        e["file"], e["total_bytes"], kib(e["total_bytes"]), "met" if e["met"] else "MISSED"))
    print("  code (.text) %d, code and data %d, resources %d bytes" %
          (e["code_bytes"], e["code_and_data_bytes"], e["resource_bytes"]))
    print("  sections: " + ", ".join("%s %d" % item for item in e["sections"].items()))
    print("  imports: " + ", ".join(e["imported_dlls"]))
    if "code_by_library" in e:
        print("  code, read-only data and unwind tables by library: " + ", ".join(
            "%s %d" % item for item in list(e["code_by_library"].items())[:8]))
    if "floor" in results:
        print("  (floor.exe: %d bytes)" % results["floor"]["total_bytes"])
    mb = results["micro"]
    print()
    print("Micro-benchmarks on the host (Google Benchmark, in-memory registry)")
    print("  %-34s %14s %14s" % ("benchmark", "wall", "cpu"))
    for b in mb["benchmarks"]:
        extra = "   per subkey %.0f ns (cpu)" % b["per_subkey_ns"] if "per_subkey_ns" in b else ""
        print("  %-34s %11.1f %s %11.1f %s%s" % (b["name"], b["real_time"], b["time_unit"],
                                                b["cpu_time"], b["time_unit"], extra))
    if mb["enum_subkeys_linearity"]:
        print("  RegEnumSubKeys per-subkey cost, 100k over 100 subkeys: %.2f" %
              mb["enum_subkeys_linearity"]["largest_over_smallest"])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--startup", required=True)
    parser.add_argument("--micro", required=True)
    parser.add_argument("--exe", required=True)
    parser.add_argument("--map")
    parser.add_argument("--floor-exe")
    parser.add_argument("--wine-version", default="")
    parser.add_argument("--load-before", default="")
    parser.add_argument("--flavour", default="win32", choices=["win32", "win64"],
                        help="which build of the Windows programs was measured")
    parser.add_argument("--out", required=True)
    arguments = parser.parse_args()

    rows = read_startup(arguments.startup)
    results = {
        "machine": machine(arguments.wine_version, arguments.load_before, arguments.flavour),
        "startup": startup_summary(rows),
        "executable": executable(arguments.exe, arguments.map),
        "micro": micro(arguments.micro),
        "startup_runs": rows,
    }
    if arguments.floor_exe:
        results["floor"] = {"total_bytes": os.path.getsize(arguments.floor_exe)}
    print_table(results)
    os.makedirs(os.path.dirname(os.path.abspath(arguments.out)), exist_ok=True)
    with open(arguments.out, "w", encoding="utf-8") as out:
        json.dump(results, out, indent=2)
        out.write("\n")
    print()
    print("results written to " + arguments.out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
