#!/usr/bin/env python3
"""Conversion speed beside GDAL's: our DGN-to-drawing conversion (dgninfo --convert, and a batch
run of dgnhost's IMPORTDGN) against `ogr2ogr -f DXF` on the same DGN files, in one run.

    bench/bench.py [BUILD]        BUILD: the build folder (default BUILD)

The files are made once with GDAL's `ogr2ogr -f DGN` from generated geometry and kept in
BUILD/bench/corpus; the real files of ../shared/dgn-corpus are used where that folder exists.
Each case prints its wall time (the best of five; one run of ogr2ogr), MB of DGN a second, peak memory (from
/usr/bin/time) and the ratio to ogr2ogr's time, as a table.

Then the figures no test may assert on a machine that may be busy, from two programs it builds:
how writing a drawing and adding blocks scale (sdk_bench), and how soon the Batch page answers
with a folder of 10,000 files, expanding one and all through a run (dialog_bench).
"""
import math
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "BUILD"))
CORPUS = os.path.join(BUILD, "bench", "corpus")
WORK = os.path.join(BUILD, "bench", "work")
REAL = os.path.join(ROOT, "..", "shared", "dgn-corpus")
BATCH_PAUSE = 1.0  # the batch run's fixed pause before it says it has finished


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


def main():
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

    subprocess.run(["cmake", "--build", BUILD, "--target", "sdk_bench", "dialog_bench"], check=True, capture_output=True)
    figures = subprocess.run([os.path.join(BUILD, "bin", "sdk_bench")], check=True, capture_output=True, text=True).stdout
    figures += subprocess.run([os.path.join(BUILD, "bin", "dialog_bench"), "10000", fresh(os.path.join(WORK, "dialog"))],
                              check=True, capture_output=True, text=True).stdout

    print("| case | DGN MB | ours s | MB/s | ours peak MB | ogr2ogr s | ogr2ogr peak MB | ogr2ogr / ours |")
    print("|---|---:|---:|---:|---:|---:|---:|---:|")
    for name, size, ours, ours_mb, gdal, gdal_mb in rows:
        mb = size / 1e6
        print("| %s | %.1f | %.3f | %.0f | %.0f | %.2f | %s | %.1f |"
              % (name, mb, ours, mb / ours, ours_mb, gdal, "%.0f" % gdal_mb if gdal_mb else "-", gdal / ours))
    print()
    print(figures, end="")


if __name__ == "__main__":
    main()
