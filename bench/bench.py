#!/usr/bin/env python3
"""Conversion speed beside GDAL's: our DGN-to-drawing conversion (dgninfo --convert, and a batch
run of dgnhost's IMPORTDGN) against `ogr2ogr -f DXF` on the same DGN files, in one run.

    bench/bench.py [BUILD] [--only SECTION]   BUILD: the build folder (default BUILD);
                                              SECTION: speed, figures or hostile (default all)

The files are made once with GDAL's `ogr2ogr -f DGN` from generated geometry and kept in
BUILD/bench/corpus; the real files of ../shared/dgn-corpus are used where that folder exists.
Each case prints its wall time (the best of five; one run of ogr2ogr), MB of DGN a second, peak memory (from
/usr/bin/time) and the ratio to ogr2ogr's time, as a table.

Then the figures no test may assert on a machine that may be busy, from two programs it builds:
how writing a drawing and adding blocks scale (sdk_bench), and how soon the Batch page answers
with a folder of 10,000 files, expanding one and all through a run (dialog_bench).

Last, hostile files: design files shaped to be hard on a reader (hostile_files writes them into
BUILD/bench/hostile), each converted by dgninfo as built, with its seconds, peak memory and the
drawing's size against the limits every file must meet: converted, or refused with a line saying
why, within HOSTILE_SECONDS and HOSTILE_PEAK, and a drawing at most HOSTILE_GROWTH times the
file's size (HOSTILE_FLOOR always allowed); and the real 3D models of ../shared/dgn-corpus/plant3d
against theirs: within REAL_3D_SECONDS, a drawing at most REAL_3D_GROWTH times the file's size.
The run exits with 1 if a file breaks a limit.
"""
import argparse
import math
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ARGS = argparse.ArgumentParser(description="Conversion speed, scaling figures and hostile files.")
ARGS.add_argument("build", nargs="?", default=os.path.join(ROOT, "BUILD"), help="the build folder")
ARGS.add_argument("--only", choices=["speed", "figures", "hostile"], help="run this section alone")
OPTIONS = ARGS.parse_args()
BUILD = os.path.abspath(OPTIONS.build)
CORPUS = os.path.join(BUILD, "bench", "corpus")
WORK = os.path.join(BUILD, "bench", "work")
REAL = os.path.join(ROOT, "..", "shared", "dgn-corpus")
BATCH_PAUSE = 1.0  # the batch run's fixed pause before it says it has finished
HOSTILE = os.path.join(BUILD, "bench", "hostile")
HOSTILE_SECONDS, HOSTILE_PEAK = 20, 1.5e9  # bytes, as the files' sizes
HOSTILE_GROWTH, HOSTILE_FLOOR = 200, 20e6
HOSTILE_TIMEOUT = 60
REAL_3D_SECONDS, REAL_3D_GROWTH = 60, 80


def gdal_dgn(path, rows):
    """Has GDAL write `rows` (WKT, OGR_STYLE) as the 2D design file `path`, once."""
    if os.path.exists(path):
        return path
    csv = path + ".csv"
    with open(csv, "w") as out:
        out.write("WKT,OGR_STYLE\n")
        for wkt, style in rows:
            out.write('"%s","%s"\n' % (wkt, style.replace('"', '""')))
    subprocess.run(["ogr2ogr", "-f", "DGN", "-dsco", "MASTER_UNIT_NAME=m", "-dsco", "SUB_UNIT_NAME=mm",
                    "-dsco", "SUB_UNITS_PER_MASTER_UNIT=1000", "-dsco", "UOR_PER_SUB_UNIT=10",
                    # without an origin GDAL places every point at one far clamped spot
                    "-dsco", "ORIGIN=0,0,0", path, csv],
                   check=True, capture_output=True)
    os.remove(csv)
    return path


def line_strings(count, seed):
    rnd = random.Random(seed)
    for _ in range(count):
        x, y = rnd.uniform(0, 10000), rnd.uniform(0, 10000)
        points = ",".join("%.3f %.3f" % (x + rnd.uniform(-50, 50), y + rnd.uniform(-50, 50)) for _ in range(5))
        yield "LINESTRING (%s)" % points, ""


def mixed(count, seed):
    """Arcs (GDAL strokes them), texts, shapes and cells (GDAL writes a polygon with a hole as a cell)."""
    rnd = random.Random(seed)
    for i in range(count):
        x, y = rnd.uniform(0, 100000), rnd.uniform(0, 100000)
        kind = i % 4
        if kind == 0:  # a 30 degree arc
            r = rnd.uniform(1, 20)
            yield "CIRCULARSTRING (%f %f,%f %f,%f %f)" % (x + r, y, x + r * 0.9659, y + r * 0.2588, x + r * 0.8660, y + r * 0.5), ""
        elif kind == 1:
            yield "POINT (%f %f)" % (x, y), 'LABEL(t:"T%d",a:%d,s:2.5g)' % (i, rnd.randint(0, 359))
        elif kind == 2:
            yield "POLYGON ((%f %f,%f %f,%f %f,%f %f))" % (x, y, x + 5, y, x + 5, y + 7, x, y), ""
        else:  # a polygon with a hole: GDAL writes a cell of two shapes
            yield ("POLYGON ((%f %f,%f %f,%f %f,%f %f,%f %f),(%f %f,%f %f,%f %f,%f %f))"
                   % (x, y, x + 5, y, x + 5, y + 5, x, y + 5, x, y, x + 1, y + 1, x + 2, y + 1, x + 2, y + 2, x + 1, y + 1)), ""


def timed(command, repeats=5, before=lambda: None):
    """The best wall time of `command` and the peak memory of that run (MB of 10^6 bytes, as the
    files' sizes); `before` runs ahead of each, untimed: every run writes new files, as ogr2ogr
    does into its fresh folder, on a disk with nothing left to write back."""
    best, peak = math.inf, 0.0
    for _ in range(repeats):
        before()
        os.sync()  # earlier runs' output is written back now, not while this one runs
        start = time.perf_counter()
        run = subprocess.run(["/usr/bin/time", "-v"] + command, capture_output=True, text=True, errors="replace",
                             env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
        elapsed = time.perf_counter() - start
        if run.returncode != 0:
            raise RuntimeError("%s failed: %s" % (command[0], run.stderr[-2000:]))
        if elapsed < best:
            found = re.search(r"Maximum resident set size \(kbytes\): (\d+)", run.stderr)
            best, peak = elapsed, int(found.group(1)) * 1024 / 1e6 if found else 0.0
    return best, peak


def batch_script(source, destination):
    path = os.path.join(WORK, "batch.script")
    with open(path, "w") as out:
        out.write("\n".join(["IMPORTDGN", "@click rbBatch", "@folder " + source, "@click pbSourcePath",
                             "@folder " + destination, "@click pbDestPath", "@check cbSelectAll on",
                             "@answer Ok", "@click buttonBox.Ok", "@wait-message Batch processing finished",
                             "@click buttonBox.Cancel", "@wait-close", ""]))
    return path


def fresh(folder):
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    return folder


def speed():
    """Our conversion beside ogr2ogr's, as a table."""
    dgninfo, dgnhost = os.path.join(BUILD, "bin", "dgninfo"), os.path.join(BUILD, "bin", "dgnhost")
    os.makedirs(CORPUS, exist_ok=True)
    os.makedirs(WORK, exist_ok=True)
    small = os.path.join(CORPUS, "small")
    os.makedirs(small, exist_ok=True)
    smalls = [gdal_dgn(os.path.join(small, "s%03d.dgn" % i), line_strings(50, i)) for i in range(200)]
    big = gdal_dgn(os.path.join(CORPUS, "lines_200k.dgn"), line_strings(200000, 1))
    huge = gdal_dgn(os.path.join(CORPUS, "mixed_1m.dgn"), mixed(1000000, 2))
    out = os.path.join(WORK, "out.dxf")
    rows = []

    def one_file(name, dgn):
        ours, ours_mb = timed([dgninfo, dgn, "--convert", out], before=lambda: os.path.exists(out) and os.remove(out))
        gdal, gdal_mb = timed(["ogr2ogr", "-f", "DXF", fresh(os.path.join(WORK, "g")) + "/out.dxf", dgn], 1)
        rows.append((name, os.path.getsize(dgn), ours, ours_mb, gdal, gdal_mb))

    def batch(name, files):
        source, dest = fresh(os.path.join(WORK, "src")), fresh(os.path.join(WORK, "dst"))
        for f in files:
            shutil.copy(f, source)
        ours, ours_mb = timed([dgnhost, "--script", batch_script(source, dest)], before=lambda: fresh(dest))
        ours -= BATCH_PAUSE
        os.sync()
        start = time.perf_counter()
        for f in files:
            subprocess.run(["ogr2ogr", "-f", "DXF", os.path.join(fresh(os.path.join(WORK, "g")), "o.dxf"), f],
                           check=True, capture_output=True)
        gdal = time.perf_counter() - start
        rows.append((name, sum(os.path.getsize(f) for f in files), ours, ours_mb, gdal, 0.0))

    batch("200 small files, batch run", smalls)
    one_file("19 MB of line strings, dgninfo", big)
    batch("19 MB of line strings, batch run", [big])
    one_file("1,000,000 mixed features with cells, dgninfo", huge)
    if os.path.isdir(REAL):
        for name in sorted(os.listdir(REAL)):
            path = os.path.join(REAL, name)
            if name.endswith(".dgn") and subprocess.run([dgninfo, path], capture_output=True).returncode == 0:
                one_file(name, path)

    print("| case | DGN MB | ours s | MB/s | ours peak MB | ogr2ogr s | ogr2ogr peak MB | ogr2ogr / ours |")
    print("|---|---:|---:|---:|---:|---:|---:|---:|")
    for name, size, ours, ours_mb, gdal, gdal_mb in rows:
        mb = size / 1e6
        print("| %s | %.1f | %.3f | %.0f | %.0f | %.2f | %s | %.1f |"
              % (name, mb, ours, mb / ours, ours_mb, gdal, "%.0f" % gdal_mb if gdal_mb else "-", gdal / ours))
    print()


def figures():
    """What sdk_bench and dialog_bench print."""
    os.makedirs(WORK, exist_ok=True)
    subprocess.run(["cmake", "--build", BUILD, "--target", "sdk_bench", "dialog_bench"], check=True, capture_output=True)
    out = subprocess.run([os.path.join(BUILD, "bin", "sdk_bench")], check=True, capture_output=True, text=True).stdout
    out += subprocess.run([os.path.join(BUILD, "bin", "dialog_bench"), "10000", fresh(os.path.join(WORK, "dialog"))],
                          check=True, capture_output=True, text=True).stdout
    print(out)


def convert_hostile(dgn, out):
    """Converts `dgn` under /usr/bin/time, its process group killed after HOSTILE_TIMEOUT seconds:
    (seconds, peak bytes, drawing bytes or None, what became of it, whether that is a conversion or
    a refusal that says why)."""
    start = time.perf_counter()
    run = subprocess.Popen(["/usr/bin/time", "-f", "%e %M", os.path.join(BUILD, "bin", "dgninfo"), dgn, "--convert", out],
                           stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True, errors="replace",
                           start_new_session=True, env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
    try:
        _, err = run.communicate(timeout=HOSTILE_TIMEOUT)
    except subprocess.TimeoutExpired:
        os.killpg(run.pid, signal.SIGKILL)
        run.communicate()
        return time.perf_counter() - start, 0, None, "no end after %d s" % HOSTILE_TIMEOUT, False
    lines = err.strip().splitlines()
    seconds, peak = time.perf_counter() - start, 0
    if lines and re.fullmatch(r"[\d.]+ \d+", lines[-1]):
        seconds, peak = float(lines[-1].split()[0]), int(lines[-1].split()[1]) * 1024
        lines.pop()
    said = [line for line in lines if line.startswith("dgninfo: ")]
    if run.returncode == 0 and os.path.exists(out):
        return seconds, peak, os.path.getsize(out), "converted", True
    if run.returncode in (1, 2, 3, 4) and said:
        return seconds, peak, None, "refused: " + said[-1][len("dgninfo: "):], True
    return seconds, peak, None, "ended with %d: %s" % (run.returncode, lines[-1] if lines else "nothing said"), False


def hostile():
    """Each hostile file converted once against the limits; false if one breaks them."""
    subprocess.run(["cmake", "--build", BUILD, "--target", "hostile_files"], check=True, capture_output=True)
    fresh(HOSTILE)
    files = subprocess.run([os.path.join(BUILD, "bin", "hostile_files"), HOSTILE], check=True, capture_output=True,
                           text=True).stdout.split("\n")
    out = os.path.join(HOSTILE, "out.dxf")
    # (file, seconds, growth, floor): the limits each must meet
    cases = [(line.rsplit(" ", 1)[0], HOSTILE_SECONDS, HOSTILE_GROWTH, HOSTILE_FLOOR) for line in files if line.strip()]
    real = os.path.join(REAL, "plant3d")
    if os.path.isdir(real):
        cases += [(os.path.join(real, name), REAL_3D_SECONDS, REAL_3D_GROWTH, 0) for name in sorted(os.listdir(real))
                  if name.endswith(".dgn")]
    print("| hostile or real 3D file | KB | s | peak MB | drawing MB | drawing / file | limits | outcome |")
    print("|---|---:|---:|---:|---:|---:|---|---|")
    passed = True
    for dgn, most_seconds, growth, floor in cases:
        seconds, peak, drawing, what, ended = convert_hostile(dgn, out)
        size = os.path.getsize(dgn)
        ok = (ended and seconds <= most_seconds and peak <= HOSTILE_PEAK
              and (drawing or 0) <= max(growth * size, floor))
        passed = passed and ok
        print("| %s | %.1f | %.2f | %.0f | %s | %s | %s | %s |"
              % (os.path.basename(dgn), size / 1e3, seconds, peak / 1e6, "%.2f" % (drawing / 1e6) if drawing is not None else "-",
                 "%.0f" % (drawing / size) if drawing is not None else "-", "PASS" if ok else "FAIL", what))
        if os.path.exists(out):
            os.remove(out)
    print()
    return passed


def main():
    sections = {"speed": speed, "figures": figures, "hostile": hostile}
    failed = False
    for name, section in sections.items():
        if OPTIONS.only in (None, name):
            failed = section() is False or failed
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
