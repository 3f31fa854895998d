#!/usr/bin/python3
"""The figures of bench/startup.sh: medians, spreads, ratios and verdicts.

    startup_stats.py phase-rows VARIANT < RUN_OUTPUT >> PHASES
    startup_stats.py phases PHASES RUNS
    startup_stats.py rounds RESULTS ROUNDS NAME...
    startup_stats.py instructions NAME=COUNT...

RESULTS holds one line per recorded run: name, wall ms, CPU ms, peak RSS KiB. PHASES
holds one tab-separated line per step of a run: variant, step, wall ms, CPU ms.
"""

import math
import statistics
import sys

# The targets against qt_text, the floor of any window with text: time as a ratio,
# memory as MiB above it.
TARGETS = {
    "program": (1.15, 2),
    "base_program": (1.15, 2),
    "viewer": (1.50, 6),
    "base_viewer": (1.50, 6),
}


def median(values):
    return statistics.median(values) if values else math.nan


def ratio(a, b):
    return f"{a / b:.2f}" if b else "nan"


def diff_mib(a, b):
    return f"{(a - b) / 1024:+.1f}"


def verdict(value, limit):
    return "met" if float(value) <= limit else "MISSED"


def phase_rows(variant):
    # A step line ends in "<wall> ms wall <cpu> ms CPU" or so: five fields after the
    # step's name, the wall time first and the CPU time third. The launcher's own line
    # is the two figures alone.
    for line in sys.stdin:
        fields = line.split()
        if not fields:
            continue
        if len(fields) == 2:
            step, wall, cpu = "fork to first frame (launcher)", fields[0], fields[1]
        else:
            step, wall, cpu = " ".join(fields[:-5]), fields[-5], fields[-3]
        print(f"{variant}\t{step}\t{wall}\t{cpu}")


def phases(path, runs):
    rows = [line.rstrip("\n").split("\t") for line in open(path) if line.strip()]
    for variant in ("program", "floor"):
        steps = {}  # in the order the steps first appear
        for v, step, wall, cpu in rows:
            if v == variant:
                steps.setdefault(step, ([], []))
                steps[step][0].append(float(wall))
                steps[step][1].append(float(cpu))
        label = "bench_startup_phases" + (" --floor" if variant == "floor" else "")
        print()
        print(f"{label}: medians of {runs} runs")
        print(f"{'step':<46} {'wall (ms)':>10} {'CPU (ms)':>10}")
        for step, (wall, cpu) in steps.items():
            print(f"{step:<46} {median(wall):10.2f} {median(cpu):10.2f}")


def rounds(path, count, names):
    runs = {name: [] for name in names}
    for line in open(path):
        fields = line.split()
        if len(fields) == 4 and fields[0] in runs:
            runs[fields[0]].append([float(f) for f in fields[1:]])
    wall, cpu, rss = {}, {}, {}
    print()
    print(f"Start-up to first frame on Xvfb: {count} interleaved rounds, medians")
    print(f"{'':<11} {'runs':>5} {'wall (ms)':>10} {'wall range':>14} {'CPU (ms)':>10} "
          f"{'RSS (MiB)':>10}")
    for name in names:
        rows = runs[name]
        wall[name] = median([r[0] for r in rows])
        cpu[name] = median([r[1] for r in rows])
        rss[name] = median([r[2] for r in rows])
        spread = (f"{min(r[0] for r in rows):.1f}-{max(r[0] for r in rows):.1f}"
                  if rows else "")
        print(f"{name:<11} {len(rows):>5} {wall[name]:10.1f} {spread:>14} {cpu[name]:10.1f} "
              f"{rss[name] / 1024:10.1f}")
    print()
    for name in names:
        if name not in TARGETS:
            continue
        time_target, rss_target = TARGETS[name]
        w = ratio(wall[name], wall["qt_text"])
        c = ratio(cpu[name], cpu["qt_text"])
        d = diff_mib(rss[name], rss["qt_text"])
        print(f"{name + ' / qt_text:':<22} wall {w}x (target <= {time_target:.2f}x: "
              f"{verdict(w, time_target)}), CPU {c}x ({verdict(c, time_target)}), "
              f"RSS {d} MiB (target <= +{rss_target}: {verdict(d, rss_target)})")
    print(f"program / qt_floor:    wall {ratio(wall['program'], wall['qt_floor'])}x, "
          f"CPU {ratio(cpu['program'], cpu['qt_floor'])}x, "
          f"RSS {diff_mib(rss['program'], rss['qt_floor'])} MiB")
    print(f"program / xlib_floor:  wall {ratio(wall['program'], wall['xlib_floor'])}x, "
          f"CPU {ratio(cpu['program'], cpu['xlib_floor'])}x, "
          f"RSS {ratio(rss['program'], rss['xlib_floor'])}x "
          f"({diff_mib(rss['program'], rss['xlib_floor'])} MiB)")
    print(f"qt_floor / xlib_floor: wall {ratio(wall['qt_floor'], wall['xlib_floor'])}x, "
          f"RSS {diff_mib(rss['qt_floor'], rss['xlib_floor'])} MiB")


def instructions(pairs):
    counts = dict(pair.split("=", 1) for pair in pairs)

    def number(count):
        digits = count.replace(",", "")
        return int(digits) if digits.isdigit() else 0

    floor = number(counts.get("qt_text", ""))
    lines = []
    for name, count in counts.items():
        shown = ratio(number(count), floor) if floor > 0 else "-"
        lines.append(f"{name:<13} {count or 'failed':>14}  {shown:>5} x qt_text")
    print("\n".join(sorted(lines)))


def main(argv):
    if len(argv) >= 2 and argv[0] == "phase-rows":
        phase_rows(argv[1])
    elif len(argv) == 3 and argv[0] == "phases":
        phases(argv[1], argv[2])
    elif len(argv) >= 3 and argv[0] == "rounds":
        rounds(argv[1], argv[2], argv[3:])
    elif argv and argv[0] == "instructions":
        instructions(argv[1:])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])
