#include "DimensionGraphics.h"

#include <algorithm>
#include <cmath>

namespace dgn {

namespace {

// Of the text height: how far witness lines pass the dimension line, and how far a text's box
// keeps from it. Several fields of the element hold half the text height; which of them these
// are is not known.
constexpr double kMargin = 0.5;
// Of the text height. Where a dimension keeps its terminators' kind is not known, so every
// terminator is drawn as an arrow: a closed triangle as long as the text is high, half as wide.
constexpr double kArrowWidth = 0.5;

// Positions along the dimension's x axis (u) and y axis (v).
class Frame {
public:
  explicit Frame(const DimensionData& d) : m_x(d.xAxis), m_y(d.yAxis) {}
  double u(const OdGePoint3d& p) const { return p.x * m_x.x + p.y * m_x.y; }
  double v(const OdGePoint3d& p) const { return p.x * m_y.x + p.y * m_y.y; }
  OdGePoint3d at(double u, double v) const { return {u * m_x.x + v * m_y.x, u * m_x.y + v * m_y.y, 0.0}; }

private:
  OdGeVector3d m_x, m_y;
};

// Its tip at `tip`, pointing along the unit vector (dx, dy).
std::array<OdGePoint3d, 3> arrowhead(const OdGePoint3d& tip, double dx, double dy, double length)
{
  const double half = 0.5 * kArrowWidth * length;
  const double bx = tip.x - dx * length, by = tip.y - dy * length;
  return {tip, OdGePoint3d{bx - dy * half, by + dx * half, tip.z}, OdGePoint3d{bx + dy * half, by - dx * half, tip.z}};
}

// The text a segment shows: its stored text, the value taking the place of the first '*', or
// else the value.
std::string shown(const std::optional<std::string>& stored, const std::string& value)
{
  if (!stored)
    return value;
  std::string s = *stored;
  const size_t star = s.find('*');
  if (star != std::string::npos)
    s.replace(star, 1, value);
  return s;
}

void drawLinear(const DimensionData& d, const DimensionFormat& format, DimensionGraphics& out)
{
  const Frame f(d);
  const std::vector<DimensionPoint>& points = d.points;
  const double h = d.textHeight, line = f.v(points[0].at) + points[0].offset;
  const double textMiddle = line + (kMargin + 0.5) * h; // texts stand on the dimension line's y side
  double low = INFINITY, high = -INFINITY;
  for (const DimensionPoint& p : points) {
    const double u = f.u(p.at);
    low = std::min(low, u);
    high = std::max(high, u);
    out.lines.push_back({p.at, f.at(u, line + (line >= f.v(p.at) ? kMargin : -kMargin) * h)});
  }
  out.lines.push_back({f.at(low, line), f.at(high, line)});

  // Texts read along the x axis unless it points left or down: then they are turned around.
  const OdGeVector3d& x = d.xAxis;
  const bool turned = x.x < -1e-9 || (std::fabs(x.x) <= 1e-9 && x.y < 0.0);
  DimensionEntity& entity = out.entity;
  std::string texts;
  bool overridden = false;
  for (size_t i = 1; i < points.size(); ++i) {
    const double from = f.u(points[i - 1].at), to = f.u(points[i].at), forward = to >= from ? 1.0 : -1.0;
    out.arrowheads.push_back(arrowhead(f.at(from, line), -forward * x.x, -forward * x.y, h));
    out.arrowheads.push_back(arrowhead(f.at(to, line), forward * x.x, forward * x.y, h));
    const double value = std::fabs(to - from) * std::fabs(d.scale);
    const std::string computed = format.text(value);
    DimensionText& t = out.texts.emplace_back();
    t.height = h;
    t.rotation = turned ? std::atan2(-x.y, -x.x) : std::atan2(x.y, x.x);
    t.text = shown(points[i].text, computed);
    // The offset is where the text's box starts, its margin included, as MicroStation's font
    // placed it. A text in its automatic place is centred on the segment in any font, unless it
    // did not fit and went outside.
    const double start = from + points[i].offset;
    if (points[i].centredText && start >= std::min(from, to) && start <= std::max(from, to)) {
      t.position = f.at(0.5 * (from + to), textMiddle);
    } else {
      t.position = f.at(start + kMargin * h, textMiddle);
      t.anchor = turned ? DimensionText::Anchor::End : DimensionText::Anchor::Start;
    }
    entity.measurement += value;
    overridden = overridden || t.text != computed;
    texts += (i > 1 ? " " : "") + t.text;
  }
  entity.kind = DimensionEntity::Kind::RotatedLinear;
  entity.linePoint = f.at(f.u(points.back().at), line);
  entity.textPosition = out.texts.size() == 1 ? out.texts[0].position : f.at(0.5 * (low + high), textMiddle);
  entity.rotation = std::atan2(x.y, x.x);
  if (overridden)
    entity.textOverride = texts;
}

} // namespace

bool drawDimension(const DimensionData& d, const DimensionFormat& format, DimensionGraphics& out)
{
  out = DimensionGraphics();
  if (d.points.size() < 2 || std::any_of(d.points.begin(), d.points.end(), [](const DimensionPoint& p) { return !p.placed; }))
    return false;
  DimensionEntity& entity = out.entity;
  entity.first = d.points.front().at;
  entity.last = entity.linePoint = entity.textPosition = d.points.back().at;
  if (d.kind == DimensionKind::Linear) {
    drawLinear(d, format, out);
  } else {
    // A leader's note is a text element of its own. How other kinds are drawn is not known:
    // their points, joined, come closest.
    std::vector<OdGePoint3d>& polyline = out.lines.emplace_back();
    for (const DimensionPoint& p : d.points)
      polyline.push_back(p.at);
    if (d.kind == DimensionKind::Leader) { // with an arrowhead at its first point
      entity.kind = DimensionEntity::Kind::Leader;
      const OdGeVector3d first = d.points[0].at - d.points[1].at;
      if (const double length = first.length(); length > 0.0)
        out.arrowheads.push_back(arrowhead(d.points[0].at, first.x / length, first.y / length, d.textHeight));
    }
  }
  return true;
}

} // namespace dgn
