#!/usr/bin/env python3
"""Reading export files back with tellwick-export --read, against the tools
players already know, on one real-shaped series (1,150,000 entries) exported
once in each charset (0 ANSI/code page 932, 1 UTF-8, 2 UTF-16):

  grep   --read FILE --grep TEXT   against grep -cF TEXT on the UTF-8 export
  cat    --read FILE > out         against cat FILE > out (same file)
  json   --read --json FILE > out  against --read FILE > out

As in export_vs_cat.py, the two runs of a pair follow each other directly in
alternating order; "ratio" is the median of the pairs' wall-clock ratios,
"cpu" the median of their CPU-time ratios. The tellwick-export measured is
the one that ships for Linux, linked statically (build/src/cli/static/).

  bench/read_vs_grep.py [--build build/native] [--pairs 7] [--charsets 0,1,2]
                        [--grep TEXT] [--keep DIR] [--program FILE]
"""
import argparse
import os
import shutil
import statistics
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from export_vs_cat import CHARACTER, make_series, run, timed, write_settings  # noqa: E402


def pairs_of(first, second, pairs):
    walls, cpus, a_times, b_times = [], [], [], []
    for i in range(pairs):
        if i % 2 == 0:
            a = first()
            b = second()
        else:
            b = second()
            a = first()
        walls.append(a[0] / b[0])
        cpus.append(a[1] / max(b[1], 1e-3))
        a_times.append(a[0])
        b_times.append(b[0])
    return (statistics.median(walls), min(walls), max(walls), statistics.median(cpus), statistics.median(a_times),
            statistics.median(b_times))


def into(path, args, cwd):
    def go():
        with open(path, "wb") as out:
            return timed(args, cwd=cwd, stdout=out)
    return go


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default="build/native")
    parser.add_argument("--pairs", type=int, default=7)
    parser.add_argument("--charsets", default="0,1,2")
    parser.add_argument("--grep", default="Ruin", help="the text searched for")
    parser.add_argument("--program", help="another tellwick-export to measure (an earlier build, say)")
    parser.add_argument("--keep", help="keep the generated series and exports in this folder and reuse them")
    a = parser.parse_args()

    build = os.path.abspath(a.build)
    # The program as it ships for Linux (linked statically, it starts as fast
    # as cat does), or the development build where there is none.
    shipped = os.path.join(build, "src/cli/static/tellwick-export")
    if not os.path.exists(shipped):
        shipped = os.path.join(build, "src/cli/tellwick-export")
    program = os.path.abspath(a.program) if a.program else shipped
    root = os.path.abspath(a.keep) if a.keep else tempfile.mkdtemp(prefix="tellwick-read-vs-grep-")
    os.makedirs(root, exist_ok=True)
    try:
        game, _, _ = make_series(build, root, "real")
        exports = {}
        for charset in (0, 1, 2):
            work = os.path.join(root, "work%d" % charset)
            log = os.path.join(work, "log")
            os.makedirs(log, exist_ok=True)
            if not os.listdir(log):
                write_settings(work, charset, "./log/")
                run([program, "--game-dir", game, CHARACTER], cwd=work)
            exports[charset] = os.path.join(log, sorted(os.listdir(log))[0])
        utf8 = exports[1]
        out_a = os.path.join(root, "a.out")
        out_b = os.path.join(root, "b.out")
        print("%-5s %7s %7s  %6s %6s %6s  %6s  %7s %7s" % ("case", "charset", "MiB", "ratio", "min", "max", "cpu",
                                                         "read_s", "other_s"))
        for charset in (int(c) for c in a.charsets.split(",")):
            path = exports[charset]
            mib = os.path.getsize(path) / 2**20
            read = [program, "--read", path]
            cases = [
                # Into files: GNU grep stops at the first match when its
                # output goes to /dev/null.
                ("grep", into(out_a, read + ["--grep", a.grep], root), into(out_b, ["grep", "-cF", a.grep, utf8], root)),
                ("cat", into(out_a, read, root), into(out_b, ["cat", path], root)),
                ("json", into(out_a, read + ["--json"], root), into(out_b, read, root)),
            ]
            for name, first, second in cases:
                first()  # warms the page cache
                second()
                ratio, low, high, cpu, x, y = pairs_of(first, second, a.pairs)
                print("%-5s %7d %7.1f  %6.2f %6.2f %6.2f  %6.2f  %7.3f %7.3f" % (name, charset, mib, ratio, low, high,
                                                                             cpu, x, y), flush=True)
    finally:
        if not a.keep:
            shutil.rmtree(root, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
