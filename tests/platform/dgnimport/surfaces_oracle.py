# Checks the 3D surfaces (18), solids (19) and cones (23) of a V7 design file against our drawing of
# it, decoding the design file here, without the reader under test, and reading the drawing with ezdxf:
#   (a) every mesh vertex drawn for an element lies within the range block the file stores for it;
#   (b) points along each of its boundary and rule elements, and a cone's two circles, lie on its mesh.
# Both within 2e-3 of the element's size (its range's diagonal); (a) also within a unit of resolution.
# Usage: surfaces_oracle.py FILE.dgn FILE.dxf. Prints a report; exits 1 when fewer than 99% pass, or
# when the file holds none of these elements (a check of nothing).
import math
import sys

import ezdxf
import numpy as np

CLOSENESS, NEEDED = 2e-3, 0.99
RULES = {4: "primary rule", 6: "construction rule"}  # classes, the low four bits of the properties
NAMES = {3: "line", 4: "line string", 6: "shape", 11: "curve", 15: "ellipse", 16: "arc", 23: "cone"}


# --- The design file. ---------------------------------------------------------------------------

def word(d, at):
    return d[at] | d[at + 1] << 8


def long(d, at):  # 32 bits, the high word first, each word low byte first
    u = d[at + 1] << 24 | d[at] << 16 | d[at + 3] << 8 | d[at + 2]
    return u - (1 << 32) if u & 0x80000000 else u


def bound(d, at):  # a range block's value: the same order, the sign bit flipped
    return (d[at + 1] << 24 | d[at] << 16 | d[at + 3] << 8 | d[at + 2]) - (1 << 31)


def double(d, at):  # VAX D: four words high first; sign, 8 bits of exponent biased 129, 55 of fraction
    q = word(d, at) << 48 | word(d, at + 2) << 32 | word(d, at + 4) << 16 | word(d, at + 6)
    exponent = q >> 55 & 0xFF
    value = 0.0 if exponent == 0 else (1 + (q & (1 << 55) - 1) / 2.0 ** 55) * 2.0 ** (exponent - 129)
    return -value if q >> 63 else value


def doubles(d, at, n):
    return np.array([double(d, at + 8 * i) for i in range(n)])


def points(d, at, n):  # n 3D vertices of three longs each
    return np.array([[long(d, at + 12 * i + 4 * k) for k in range(3)] for i in range(n)], float).reshape(-1, 3)


def axes(d, at):
    """Rows: the design's directions of the element's x, y and z, from its quaternion (w, x, y, z)."""
    w, x, y, z = np.array([long(d, at + 4 * k) for k in range(4)], float) / 2.0 ** 31
    s = 2 / max(w * w + x * x + y * y + z * z, 1e-30)
    return np.array([[1 - s * (y * y + z * z), s * (x * y - w * z), s * (x * z + w * y)],
                     [s * (x * y + w * z), 1 - s * (x * x + z * z), s * (y * z - w * x)],
                     [s * (x * z - w * y), s * (y * z + w * x), 1 - s * (x * x + y * y)]])


def conic(origin, a, b, rows, start, sweep, n):  # angles in degrees
    t = np.radians(start + sweep * np.arange(n + 1) / n)[:, None]
    return origin + a * np.cos(t) * rows[0] + b * np.sin(t) * rows[1]


def arc(d, at):  # centre, axes, start and sweep; the sweep's sign stands apart, none is a whole turn
    sweep = long(d, at + 40) & 0xFFFFFFFF
    sweep = -(sweep & 0x7FFFFFFF) / 360000 if sweep & 0x80000000 else sweep / 360000 or 360
    return doubles(d, at + 76, 3), axes(d, at + 60), long(d, at + 36) / 360000, sweep


def along(vertices, n=8):  # vertices and points between them
    f = np.arange(n)[:, None, None] / n
    return np.vstack([(vertices[:-1] + f * (vertices[1:] - vertices[:-1])).reshape(-1, 3), vertices[-1:]])


def sampled(d, at, kind):
    """Points of a boundary or rule element in UOR; None for what bounds nothing (complex headers)."""
    if kind == 3:
        return along(points(d, at + 36, 2))
    if kind in (4, 6, 11):
        vertices = points(d, at + 38, word(d, at + 36))
        return vertices[2:-2] if kind == 11 else along(vertices)  # a curve's first and last two steer it
    if kind == 15:
        return conic(doubles(d, at + 68, 3), double(d, at + 36), double(d, at + 44), axes(d, at + 52), 0, 360, 72)
    if kind == 16:
        centre, rows, start, sweep = arc(d, at)
        return conic(centre, double(d, at + 44), double(d, at + 52), rows, start, sweep, 48)
    return None


class Element:
    def __init__(self, d, at, kind, scale, origin):
        self.at, self.kind = at, kind
        self.surface = d[at + 40] if kind in (18, 19) else None
        box = np.array([bound(d, at + 4 + 4 * k) for k in range(6)], float).reshape(2, 3)
        self.lo, self.hi = (box - origin) / scale
        self.size = float(np.linalg.norm(self.hi - self.lo))
        self.curves, self.turns, self.meshes = [], [], []  # turns: rule arcs' centre, normal, sweep
        if kind == 23:  # two circles in the plane of its x and y
            rows = axes(d, at + 38)
            for centre, radius in ((at + 54, at + 78), (at + 86, at + 110)):
                circle = conic(doubles(d, centre, 3), double(d, radius), double(d, radius), rows, 0, 360, 72)
                self.curves.append((at, 23, 0, (circle - origin) / scale))

    def reach(self):
        """The stored range holds the boundaries and rules only: a surface of revolution bulges out of
        it between its rules (8e-3 of its size in plant3d's torus). So the range, grown by where each
        rule arc turns the boundary it starts on."""
        lo, hi = self.lo, self.hi
        for centre, normal, sweep, start in self.turns:
            bounds = [c for c in self.curves if c[2] not in RULES]
            if not bounds:
                continue
            profile = min(bounds, key=lambda c: np.linalg.norm(c[3] - start, axis=1).min())[3] - centre
            for t in np.linspace(0, sweep, 49):  # Rodrigues' rotation about the normal
                turned = centre + profile * math.cos(t) + np.cross(normal, profile) * math.sin(t) + \
                    np.outer(profile @ normal, normal) * (1 - math.cos(t))
                lo, hi = np.minimum(lo, turned.min(0)), np.maximum(hi, turned.max(0))
        return lo, hi


def design(d):
    """The 3D elements that are not deleted, top-level or in cells, with their components' points. A
    cell's components are stored in the design's coordinates, so its transformation is not needed."""
    at, control, found, scale, origin = 0, None, [], 1.0, np.zeros(3)
    inside, dead = -1, -1  # where the current surface or solid, and the deleted complex element, end
    while at + 4 <= len(d) and not (d[at] == 0xFF and d[at + 1] == 0xFF):
        kind, deleted, end = d[at + 1] & 0x7F, d[at + 1] & 0x80, at + (word(d, at + 2) + 2) * 2
        if kind == 9 and control is None:  # units: sub-units a master unit times UOR a sub-unit
            control = at
            scale = float(max(1, long(d, at + 1112)) * max(1, long(d, at + 1116)))
            origin = doubles(d, at + 1240, 3)
        complex_end = at + 38 + 2 * word(d, at + 36) if kind in (2, 12, 14, 18, 19) else end
        if deleted or at < dead:
            dead = max(dead, complex_end)
        elif at < inside:
            curve, cls = sampled(d, at, kind), word(d, at + 32) & 0xF
            if curve is not None and len(curve):
                found[-1].curves.append((at, kind, cls, (curve - origin) / scale))
                if kind == 16 and cls in RULES:
                    centre, rows, _, sweep = arc(d, at)
                    found[-1].turns.append(((centre - origin) / scale, rows[2], math.radians(sweep),
                                            found[-1].curves[-1][3][0]))
        elif kind in (18, 19, 23):
            found.append(Element(d, at, kind, scale, origin))
            inside = complex_end if kind != 23 else inside
        at = end
    return found, scale


# --- Our drawing. -------------------------------------------------------------------------------

def meshes(entities):
    """Polyface meshes in drawing order, block references followed in place: (vertices, triangles)."""
    for e in entities:
        if e.dxftype() == "INSERT":
            yield from meshes(e.virtual_entities())
        elif e.dxftype() == "POLYLINE" and e.is_poly_face_mesh:
            triangles = []
            for face in e.faces():
                corners = [tuple(v.dxf.location) for v in face[:-1]]
                triangles += [(corners[0], corners[i], corners[i + 1]) for i in range(1, len(corners) - 1)]
            vertices = np.array([tuple(v.dxf.location) for v in e.vertices if v.is_poly_face_mesh_vertex], float)
            yield vertices.reshape(-1, 3), np.array(triangles, float).reshape(-1, 3, 3)


def pair(elements, drawn, resolution):
    """Gives each mesh to at most one element, in order. Our converter appends meshes in file order,
    one or more for each element, but an element may lose its mesh, and geometry alone is ambiguous
    where ranges nest. So: of the assignments in order, the one that gives meshes to the most elements,
    then places the most vertices within their elements' ranges. A mesh only goes to an element whose
    range, grown by its diagonal, its box meets: a wrong mesh near its element still meets the checks."""
    boxes = [(v.min(0), v.max(0)) if len(v) else None for v, _ in drawn]

    def fit(m, e):
        if boxes[m] is None or (boxes[m][0] > e.hi + e.size).any() or (boxes[m][1] < e.lo - e.size).any():
            return None
        tol = CLOSENESS * e.size + resolution
        return float(((drawn[m][0] >= e.lo - tol) & (drawn[m][0] <= e.hi + tol)).all(1).mean())

    first = lambda s: s[0]
    best = [(0.0, None)] + [(-math.inf, None)] * len(elements)  # by the last element given a mesh
    for m in range(len(drawn)):
        new, lead = list(best), (-math.inf, None)
        for j in range(1, len(elements) + 1):
            lead = max(lead, best[j - 1], key=first)  # the best that leaves element j to start
            f = fit(m, elements[j - 1])
            if f is not None:
                new[j] = max(new[j], (best[j][0] + f, (best[j][1], m, j)), (lead[0] + 1 + f, (lead[1], m, j)),
                             key=first)
        best = new
    chain = max(best, key=first)[1]
    while chain:
        chain, m, j = chain
        elements[j - 1].meshes.append(m)


# --- The checks. --------------------------------------------------------------------------------

def nearest(samples, triangles):
    """From each sample to the nearest of the triangles: to the foot in its plane if that lies inside,
    else to its nearest edge."""
    a, b, c = triangles[:, 0], triangles[:, 1], triangles[:, 2]
    normal = np.cross(b - a, c - a)
    length = np.linalg.norm(normal, axis=1)
    unit = normal / np.where(length > 0, length, 1)[:, None]
    p = samples[:, None, :]
    height = ((p - a) * unit).sum(-1)
    foot, inside = p - height[..., None] * unit, length > 0
    for u, v in ((a, b), (b, c), (c, a)):
        inside = inside & ((np.cross(v - u, foot - u) * normal).sum(-1) >= 0)
    near = np.where(inside, np.abs(height), np.inf)
    for u, v in ((a, b), (b, c), (c, a)):
        edge = v - u
        t = np.clip(((p - u) * edge).sum(-1) / np.maximum((edge * edge).sum(-1), 1e-300), 0, 1)
        near = np.minimum(near, np.linalg.norm(p - (u + t[..., None] * edge), axis=-1))
    return near.min(1)


def distances(samples, triangles, radius):
    """nearest(), first among the triangles within radius of a few samples at a time: exact wherever
    the distance is within radius, and worked out from all triangles where it is not."""
    lo, hi, out = triangles.min(1), triangles.max(1), []
    for chunk in np.array_split(samples, max(1, len(samples) // 16)):
        near = ((lo <= chunk.max(0) + radius) & (hi >= chunk.min(0) - radius)).all(1)
        found = nearest(chunk, triangles[near]) if near.any() else np.full(len(chunk), np.inf)
        out.append(found if (found <= radius).all() else nearest(chunk, triangles))
    return np.concatenate(out)


def check(e, drawn, resolution):
    """Why the element fails, empty when it passes; and its worst ratio of distance to allowed."""
    allowed = CLOSENESS * e.size
    if not e.meshes:
        return ["no mesh in the drawing within reach of its range"], math.inf
    vertices = np.vstack([drawn[m][0] for m in e.meshes])
    triangles = np.vstack([drawn[m][1] for m in e.meshes])
    lo, hi = e.reach()
    excess = np.maximum(lo - vertices, vertices - hi).max() if len(vertices) else math.inf
    why, worst = [], excess / (allowed + resolution)
    if worst > 1:
        why.append("(a) a vertex lies %.6g outside the range, %.6g allowed" % (excess, allowed + resolution))
    for at, kind, cls, curve in e.curves:
        off = distances(curve, triangles, allowed) if len(triangles) else np.full(len(curve), np.inf)
        worst = max(worst, off.max() / allowed)
        if off.max() > allowed:
            role = RULES.get(cls, "boundary") if kind != 23 else "circle"
            why.append("(b) a point of its %s (%s at %d) lies %.6g off the mesh, %.6g allowed"
                       % (role, NAMES.get(kind, kind), at, off.max(), allowed))
    return why, worst


def main(dgn, dxf):
    d = open(dgn, "rb").read()
    elements, scale = design(d)
    resolution = 1 / scale  # a unit of resolution in the drawing's units
    drawn = list(meshes(ezdxf.readfile(dxf).modelspace()))
    pair(elements, drawn, resolution)
    failures, passed_a, passed_b = [], 0, 0
    for e in elements:
        why, worst = check(e, drawn, resolution)
        passed_a += e.meshes != [] and not any(w.startswith("(a)") for w in why)
        passed_b += e.meshes != [] and not any(w.startswith("(b)") for w in why)
        if why:
            failures.append((worst, e, why))
    passed, unpaired = len(elements) - len(failures), len(drawn) - sum(len(e.meshes) for e in elements)
    print("%s: %d 3D elements, %d meshes (%d given to none); %d pass (a) range, %d pass (b) boundaries and rules; "
          "%d of %d pass (%.1f%%, %d%% needed)" % (dgn.split("/")[-1], len(elements), len(drawn), unpaired, passed_a,
                                                   passed_b, passed, len(elements),
                                                   100.0 * passed / max(1, len(elements)), 100 * NEEDED))
    for worst, e, why in sorted(failures, key=lambda f: -f[0])[:8]:
        what = "%s type %d" % ("surface" if e.kind == 18 else "solid", e.surface) if e.kind != 23 else "cone"
        print("  element at %d, type %d (%s), %d mesh(es), worst %.3g times the allowed:"
              % (e.at, e.kind, what, len(e.meshes), worst))
        for w in why[:3]:
            print("    " + w)
    if not elements:
        print("  nothing to check: no surface, solid or cone found")
    return 0 if elements and passed >= NEEDED * len(elements) else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
