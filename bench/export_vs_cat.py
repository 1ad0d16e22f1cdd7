#!/usr/bin/env python3
"""A whole manual export by tellwick-export, against cat of the same chunk
files into one file, for each output charset and two kinds of series:

  short  1,000,000 short chat and system lines (about 45 bytes an entry)
  real   1,150,000 real-shaped lines (battle, links, icons; about 108 bytes)

The machine is shared, so the two runs of a pair follow each other directly,
in alternating order, and the figure ("ratio") is the median of the pairs'
wall-clock ratios; the spread (lowest and highest ratio) says how noisy the
run was. "cpu" is the median ratio of CPU time (user and system), which a
loaded machine disturbs much less.

Both sides write a file that does not exist yet: the previous output is
removed before each run, outside the timing. With --replace both write over
their previous output instead (cat through the shell's redirection, so that
its truncation and close are timed). The two differ on ext4, which starts
writing out a file's data when it replaces another (on rename, and on the
close after a truncation).

  bench/export_vs_cat.py [--build build/native] [--pairs 9] [--series short,real]
                         [--charsets 0,1,2] [--keep DIR] [--program FILE] [--wine build/windows]
                         [--replace]

With --wine the Windows tellwick-export.exe runs under Wine (a prefix of its
own under the work folder, code page 932) against the same cat.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

CHARACTER = "FFXIV_CHR0040000000000001"
SERIES = {
    # name: (chunkgen shape, entries)
    "short": ("short", 1000000),
    "real": ("real", 1150000),
}
PLAYED_START_TIME = "0x6B0F2740"  # December 2026: no line is a materia candidate


def run(args, cwd=None, env=None, stdout=subprocess.DEVNULL):
    subprocess.run(args, cwd=cwd, env=env, stdout=stdout, stderr=subprocess.DEVNULL, check=True)


def timed(args, cwd=None, env=None, stdout=subprocess.DEVNULL):
    """Runs a program; returns its wall-clock seconds and its CPU seconds
    (user and system), the latter less sensitive to a loaded machine."""
    start = time.perf_counter()
    child = subprocess.Popen(args, cwd=cwd, env=env, stdout=stdout, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.perf_counter() - start
    child.returncode = os.waitstatus_to_exitcode(status)
    if child.returncode != 0:
        raise subprocess.CalledProcessError(child.returncode, args)
    return wall, usage.ru_utime + usage.ru_stime


def make_series(build, root, name):
    shape, entries = SERIES[name]
    game = os.path.join(root, name, "game")
    log = os.path.join(game, CHARACTER, "log")
    if not os.path.isdir(log):
        run([os.path.join(build, "tools/chunkgen/chunkgen"), "--out", game, "--shape", shape,
             "--entries", str(entries), "--start-time", PLAYED_START_TIME])
    chunks = sorted(f for f in os.listdir(log) if f.endswith(".log"))
    paths = [os.path.join(log, f) for f in chunks]
    size = sum(os.path.getsize(p) for p in paths)
    return game, paths, size


def write_settings(work, charset, log_folder):
    with open(os.path.join(work, "tellwick.ini"), "w", encoding="ascii", newline="\r\n") as f:
        f.write("[GENERIC]\nCHARSET=%d\nLOGDIR=%s\n" % (charset, log_folder))


def remove_files(folder):
    for name in os.listdir(folder):
        os.unlink(os.path.join(folder, name))


def measure(export_args, export_cwd, export_env, chunk_paths, copy_path, pairs, replace):
    """Median and spread of the pairs' wall-clock ratios, the median of their
    CPU-time ratios, and the median seconds of each side."""
    wall_ratios, cpu_ratios, export_times, cat_times = [], [], [], []
    for i in range(pairs):
        def cat():
            if replace:
                return timed(["sh", "-c", 'exec cat "$@" > "$0"', copy_path] + chunk_paths)
            if os.path.exists(copy_path):
                os.unlink(copy_path)
            with open(copy_path, "wb") as out:
                return timed(["cat"] + chunk_paths, stdout=out)

        def export():
            if not replace:
                remove_files(os.path.join(export_cwd, "log"))
            return timed(export_args, cwd=export_cwd, env=export_env)

        if i % 2 == 0:
            e = export()
            c = cat()
        else:
            c = cat()
            e = export()
        export_times.append(e[0])
        cat_times.append(c[0])
        wall_ratios.append(e[0] / c[0])
        cpu_ratios.append(e[1] / max(c[1], 1e-3))
    return (statistics.median(wall_ratios), min(wall_ratios), max(wall_ratios), statistics.median(cpu_ratios),
            statistics.median(export_times), statistics.median(cat_times))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default="build/native")
    parser.add_argument("--pairs", type=int, default=9)
    parser.add_argument("--series", default="short,real")
    parser.add_argument("--charsets", default="0,1,2")
    parser.add_argument("--program", help="another tellwick-export to measure (an earlier build, say)")
    parser.add_argument("--keep", help="keep the generated series in this folder and reuse them")
    parser.add_argument("--wine", help="a Windows build folder: measure its tellwick-export.exe under Wine")
    parser.add_argument("--replace", action="store_true", help="both sides write over their previous output")
    a = parser.parse_args()

    build = os.path.abspath(a.build)
    root = os.path.abspath(a.keep) if a.keep else tempfile.mkdtemp(prefix="tellwick-vs-cat-")
    os.makedirs(root, exist_ok=True)
    work = os.path.join(root, "work")
    os.makedirs(os.path.join(work, "log"), exist_ok=True)
    copy_path = os.path.join(root, "copy.out")

    env = dict(os.environ)
    if a.wine:
        program = os.path.join(os.path.abspath(a.wine), "src/cli/tellwick-export.exe")
        env.update(WINEPREFIX=os.path.join(root, "wineprefix"), WINEDEBUG="-all", LC_ALL="ja_JP.UTF-8")
        run(["wineboot", "-i"], env=env)
        # One server for all runs, so that its start-up is not counted; wineboot
        # has started it, and -p only keeps it alive (it fails when one runs).
        subprocess.run(["wineserver", "-p"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        log_folder = ".\\log\\"
    else:
        program = os.path.abspath(a.program) if a.program else os.path.join(build, "src/cli/tellwick-export")
        log_folder = "./log/"

    print("%-6s %7s %7s  %6s %6s %6s  %7s  %8s %8s" % ("series", "charset", "MiB", "ratio", "min", "max", "cpu",
                                                       "export_s", "cat_s"))
    try:
        for name in a.series.split(","):
            game, paths, size = make_series(build, root, name)
            game_arg = "Z:" + game.replace("/", "\\") if a.wine else game
            args = ([ "wine", program] if a.wine else [program]) + ["--game-dir", game_arg, CHARACTER]
            for charset in (int(c) for c in a.charsets.split(",")):
                write_settings(work, charset, log_folder)
                run(args, cwd=work, env=env)  # warms the page cache and the settings file
                ratio, low, high, cpu, e, c = measure(args, work, env, paths, copy_path, a.pairs, a.replace)
                print("%-6s %7d %7.1f  %6.2f %6.2f %6.2f  %7.2f  %8.3f %8.3f" % (name, charset, size / 2**20, ratio,
                                                                              low, high, cpu, e, c), flush=True)
    finally:
        if a.wine:
            subprocess.run(["wineserver", "-k"], env=env)
        if not a.keep:
            shutil.rmtree(root, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
