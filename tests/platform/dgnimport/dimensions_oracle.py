# Checks the dimensions (33) of a V7 design file against our drawing of it, decoding the design file
# here, without the reader under test, and reading the drawing with ezdxf: each live dimension is a
# DIMENSION whose block's lines and arrowheads lie within the range block the file stores for it
# (where MicroStation drew it), its texts' anchors within a text height of it, and all of them
# span at least half of its diagonal. Usage: dimensions_oracle.py
# FILE.dgn FILE.dxf. Prints a report; exits 1 when fewer than 99% pass, or when the file holds no
# dimension (a check of nothing).
import sys

import ezdxf
import numpy as np
from ezdxf import bbox

from surfaces_oracle import bound, doubles, long, word

NEEDED = 0.99


def ranges(d):
    """The range of each live dimension, in drawing units, the height of its text and a unit of
    resolution, which the range is rounded to."""
    at, scale, origin, found = 0, 1.0, np.zeros(3), []
    while at + 4 <= len(d) and not (d[at] == 0xFF and d[at + 1] == 0xFF):
        kind, deleted, end = d[at + 1] & 0x7F, d[at + 1] & 0x80, at + (word(d, at + 2) + 2) * 2
        if kind == 9 and not found and scale == 1.0:  # units: sub-units a master unit times UOR a sub-unit
            scale = float(max(1, long(d, at + 1112)) * max(1, long(d, at + 1116)))
            origin = doubles(d, at + 1240, 3)
        elif kind == 33 and not deleted:
            box = np.array([bound(d, at + 4 + 4 * k) for k in range(6)], float).reshape(2, 3)
            height = int.from_bytes(d[at + 56:at + 60], "little", signed=True)
            found.append(((box[0, :2] - origin[:2]) / scale, (box[1, :2] - origin[:2]) / scale, height / scale,
                          1 / scale))
        at = end
    return found


def drawn(doc):
    """Each DIMENSION's box: of its block's lines and arrowheads, and of those and its texts' anchors."""
    boxes = []
    for dim in doc.modelspace().query("DIMENSION"):
        block = doc.blocks.get(dim.dxf.geometry)
        strokes = bbox.extents(e for e in block if e.dxftype() != "TEXT")
        anchors = [e.dxf.align_point if e.dxf.hasattr("align_point") else e.dxf.insert for e in block.query("TEXT")]
        whole = np.array([strokes.extmin, strokes.extmax] + [tuple(a) for a in anchors])[:, :2]
        boxes.append((np.array(strokes.extmin)[:2], np.array(strokes.extmax)[:2], whole.min(0), whole.max(0)))
    return boxes


def main(dgn, dxf):
    wanted = ranges(open(dgn, "rb").read())
    doc = ezdxf.readfile(dxf)
    boxes = drawn(doc)
    if not wanted:
        print("no dimensions in", dgn)
        return 1
    passed, failures = 0, []
    for lo, hi, height, resolution in wanted:
        near = 1e-6 * np.linalg.norm(hi - lo) + resolution
        fits = [b for b in boxes if np.all(b[0] >= lo - near) and np.all(b[1] <= hi + near) and
                np.all(b[2] >= lo - height) and np.all(b[3] <= hi + height) and
                np.linalg.norm(b[3] - b[2]) >= 0.5 * np.linalg.norm(hi - lo)]
        passed += bool(fits)
        if not fits and len(failures) < 5:
            failures.append("range %s - %s has no dimension within it" % (lo, hi))
    print("%d of %d dimensions within their ranges (%d DIMENSION entities)" % (passed, len(wanted), len(boxes)))
    print("\n".join(failures))
    return 0 if passed >= NEEDED * len(wanted) and len(boxes) == len(wanted) else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
