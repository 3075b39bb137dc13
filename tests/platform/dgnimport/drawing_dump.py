# Dumps a converted drawing as JSON for the corpus test: ezdxf's audit, the entities of model space
# and of every named block definition, each flattened through the block references it holds (model
# space into world coordinates, a block into its own), and the block references in model space.
import json
import math
import re
import sys

import ezdxf
from ezdxf.colors import aci2rgb, int2rgb
from ezdxf.math import BoundingBox, ConstructionEllipse, Vec3


def rgb(entity, doc, byblock):
    dxf = entity.dxf
    index = None if dxf.hasattr("true_color") else dxf.get("color", 256)
    if index == 0:
        return byblock
    if index == 256:  # by layer
        dxf = doc.layers.get(dxf.get("layer", "0")).dxf
    if dxf.hasattr("true_color"):
        return "%02x%02x%02x" % int2rgb(dxf.true_color)
    return "%02x%02x%02x" % aci2rgb(abs(dxf.get("color", 7)))


def coordinates(*points):  # x, y, z, x, y, z...: one list, not one a point, reads back quicker
    return [c for p in points for c in (p.x, p.y, p.z)]


def tolerance(points):
    """A flattening tolerance of 1e-7 of the points' extent: fine enough to measure 1e-6, and fast."""
    return 1e-7 * max(1e-3, BoundingBox(points).size.magnitude)


def caret_decoded(text):
    """TEXT writes a control character as ^ and a letter, and a caret as ^ and a blank."""
    return re.sub(r"\^(.)", lambda m: "^" if m[1] == " " else chr(ord(m[1]) - 64), text, flags=re.S)


def hatch_outline(e):
    """A path's arcs would be Bezier curves, up to 2.7e-4 of their radius off: each edge as it is."""
    points = []
    for loop in e.paths:
        for edge in loop.edges:
            kind = edge.EDGE_TYPE
            if kind == "LineEdge":
                points += [Vec3(edge.start), Vec3(edge.end)]
            elif kind in ("ArcEdge", "EllipseEdge"):
                arc = kind == "ArcEdge"
                major, ratio = (Vec3(edge.radius, 0), 1.0) if arc else (Vec3(edge.major_axis), edge.ratio)
                start, end = (math.radians(edge.start_angle), math.radians(edge.end_angle)) if arc else \
                    (edge.start_param, edge.end_param)
                c = ConstructionEllipse(Vec3(edge.center), major, (0, 0, 1), ratio, start, end)
                run = list(c.flattening(1e-7 * max(1e-3, major.magnitude)))
                points += run if edge.ccw else run[::-1]  # ezdxf gives a clockwise arc's span counter-clockwise
            else:
                points += list(Vec3(v) for v in edge.control_points)
    return points


def geometry(e):
    kind = e.dxftype()
    if kind == "LINE":
        return {"points": coordinates(e.dxf.start, e.dxf.end)}
    if kind == "POINT":
        return {"points": coordinates(e.dxf.location)}
    if kind in ("LWPOLYLINE", "POLYLINE"):
        lw = kind == "LWPOLYLINE"
        stored = list(e.vertices_in_wcs() if lw else e.points())
        points = [e.ocs().to_wcs(p) for p in stored] if not lw and e.is_2d_polyline else stored
        out = {"points": coordinates(*points), "closed": e.closed if lw else e.is_closed}
        if e.has_arc:  # through its lines and true arcs: a path would hold arcs as Bezier curves
            flat, near = [], tolerance(stored)
            for part in e.virtual_entities():
                run = [part.dxf.start, part.dxf.end] if part.dxftype() == "LINE" else list(part.flattening(near))
                flat += run if not flat or not flat[-1].isclose(run[0]) else run[1:]
            out["flat"] = coordinates(*flat)
        return out
    if kind == "HATCH":  # its loops one after the other, through their lines and true arcs
        return {"flat": coordinates(*[e.ocs().to_wcs(Vec3(p.x, p.y, e.dxf.elevation.z)) for p in hatch_outline(e)])}
    if kind == "SPLINE":
        return {"points": coordinates(*map(Vec3, e.control_points)),
                "flat": coordinates(*e.flattening(tolerance(e.control_points)))}
    if kind in ("CIRCLE", "ARC", "ELLIPSE"):
        if kind == "ELLIPSE":
            c = e.construction_tool()
        else:
            start, end = (e.dxf.start_angle, e.dxf.end_angle) if kind == "ARC" else (0, 360)
            c = ConstructionEllipse.from_arc(e.dxf.center, e.dxf.radius, e.dxf.extrusion, start, end)
        return {"center": coordinates(c.center), "major": coordinates(c.major_axis), "minor": coordinates(c.minor_axis),
                "start": c.start_param, "end": c.end_param, "flat": coordinates(*c.vertices(c.params(33)))}
    if kind == "TEXT":
        ocs = e.ocs()
        return {"insert": coordinates(ocs.to_wcs(e.dxf.insert)), "height": e.dxf.height,
                "dir": coordinates(ocs.to_wcs(Vec3.from_deg_angle(e.dxf.get("rotation", 0)))),
                "text": caret_decoded(e.dxf.text)}
    if kind == "MTEXT":
        return {"insert": coordinates(e.dxf.insert), "height": e.dxf.char_height, "dir": coordinates(e.ucs().ux),
                "text": e.plain_text()}
    return {}


def flatten(entities, doc, byblock):
    for e in entities:
        head = {"kind": e.dxftype(), "layer": e.dxf.get("layer", "0"), "rgb": rgb(e, doc, byblock)}
        if e.dxftype() == "INSERT":
            yield from flatten(e.virtual_entities(), doc, head["rgb"])
        elif e.dxftype() == "POLYLINE" and e.is_poly_face_mesh:  # each face as the closed run of its edges
            for face in e.faces():
                corners = [v.dxf.location for v in face[:-1]]
                yield {**head, "kind": "POLYFACE", "points": coordinates(*corners, corners[0]), "closed": True}
        else:
            yield {**head, **geometry(e)}


def main(path):
    doc = ezdxf.readfile(path)
    auditor = doc.audit()
    blocks = {b.name: list(flatten(b, doc, None)) for b in doc.blocks if not b.name.lower().startswith("*")}
    sys.stdout.write(json.dumps({"audit": [str(error.message) for error in auditor.errors],
                                 "model": list(flatten(doc.modelspace(), doc, "ffffff")), "blocks": blocks,
                                 "inserts": len(doc.modelspace().query("INSERT")),
                                 "extents": coordinates(Vec3(doc.header["$EXTMIN"]), Vec3(doc.header["$EXTMAX"]))}))


if __name__ == "__main__":
    main(sys.argv[1])
