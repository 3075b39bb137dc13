#include "Converter.h"

#include "DgnFormat.h"
#include "Linkages.h"

#include <OdError.h>
#include <RxObjectImpl.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>

namespace dgn {

namespace {

constexpr unsigned kInvisible = 0x0080;     // properties bit of elements not to be displayed
constexpr uint64_t kProgressEvery = 4096; // elements between updates of the progress
// Where the components of a complex chain or shape meet: units of resolution, or share of its size.
constexpr double kJoinResolutions = 10.0, kJoinShare = 1e-6;
// Element classes of the rule elements of 3D surfaces and solids: primary and construction rules.
constexpr int kPrimaryRule = 4, kConstructionRule = 6;

// The ends of what an ellipse without width draws: a point, or a line along its other axis.
std::vector<OdGePoint3d> collapsed(const Conic& c)
{
  std::vector<OdGePoint3d> points;
  EntityMaker::stroke(c, points);
  OdGePoint3d a = points.front(), b = a;
  for (int pass = 0; pass < 2; ++pass) {
    a = b;
    for (const OdGePoint3d& p : points)
      if ((p - a).length() > (b - a).length())
        b = p;
  }
  return {a, b};
}

// What an area fill paints with: the element's symbology in the fill's colour.
Display filledWith(Display d, int color)
{
  d.color = color;
  return d;
}

// Block names compare without regard to case.
std::u16string nameKey(OdString name)
{
  return name.makeUpper().str();
}

} // namespace

Converter::Converter(OdDbDatabase* db, const ControlData& control, const std::string& codePage,
                     const std::optional<ColorTable>& colors, const ImportOptions& options)
  : m_db(db), m_map(control, options.masterUnits), m_localMap(m_map.relative()), m_options(options),
    m_symbology(db, colors), m_decoder(codePage), m_detail(m_map.length(1.0)),
    m_maker(m_symbology, m_options, control.is3d, m_detail),
    m_tags(db, m_maker), m_dimensionFormat(control, m_map), m_dimensions(db, m_maker, m_decoder),
    m_modelSpace(OdDbBlockTableRecord::cast(db->getModelSpaceId().openObject(OdDb::kForWrite).get()))
{
  using T = ElementType;
  // Settings, not drawing: control, digitizer, level symbology, projection and application data.
  for (int t : {T::DigitizerSetup, T::DesignFileHeader, T::LevelSymbology, T::Projection})
    m_handlers[t] = &Converter::onSettings;
  m_handlers[T::ApplicationData] = &Converter::onApplicationData;
  m_handlers[T::TagValue] = &Converter::onTagValue;
  m_handlers[T::Dimension] = &Converter::onDimension;
  for (int t : {T::Line, T::LineString, T::Shape, T::Curve, T::PointString})
    m_handlers[t] = &Converter::onLinear;
  m_handlers[T::Ellipse] = m_handlers[T::Arc] = &Converter::onConic;
  m_handlers[T::Text] = &Converter::onText;
  m_handlers[T::TextNode] = &Converter::onTextNode;
  m_handlers[T::ComplexChain] = m_handlers[T::ComplexShape] = &Converter::onComplex;
  m_handlers[T::Cell] = &Converter::onCell;
  m_handlers[T::SharedCellDefinition] = &Converter::onSharedCellDefinition;
  m_handlers[T::SharedCell] = &Converter::onSharedCellInstance;
  m_handlers[T::BSplineCurveHeader] = &Converter::onSplineHeader;
  m_handlers[T::BSplinePoles] = &Converter::onPoles;
  m_handlers[T::BSplineKnots] = m_handlers[T::BSplineWeights] = &Converter::onFractions;
  m_handlers[T::BSplineSurfaceHeader] = &Converter::onSurfaceHeader;
  m_handlers[T::BSplineSurfaceBoundary] = &Converter::onBoundary;
  m_handlers[T::Surface] = m_handlers[T::Solid] = &Converter::onSweptHeader;
  m_handlers[T::Cone] = &Converter::onCone;
  m_handlers[T::MultiLine] = &Converter::onMultiLine;
}

bool Converter::run(const std::string& path, ConversionProgress* progress)
{
  ElementReader reader(path);
  if (!reader.isOpen())
    return false;
  std::error_code unknown;
  const std::uintmax_t bytes = std::filesystem::file_size(path, unknown);
  m_detail.setFileSize(unknown ? 0 : uint64_t(bytes));
  const auto tell = [&] {
    if (progress) {
      progress->elements.store(m_stats.elements, std::memory_order_relaxed);
      progress->bytes.store(reader.offset(), std::memory_order_relaxed);
    }
  };
  Element e;
  ElementReader::Status status;
  while ((status = reader.next(e)) == ElementReader::Status::Element) {
    element(e);
    if (m_stats.elements % kProgressEvery == 0)
      tell();
  }
  tell();
  m_stats.truncated = status != ElementReader::Status::End;
  while (!m_open.empty())
    finishInnermost();
  // Instances may come before their definition; those whose definition never came are left out.
  m_maker.setSource(ElementType::SharedCell);
  for (const PendingInstance& p : m_pending) {
    if (m_definitions.count(nameKey(p.cell.name)))
      place(*p.owner, p.display, p.cell);
    else
      ++m_stats.unresolvedSharedCells;
  }
  m_pending.clear();
  // Dimensions may come before the elements their points lie on.
  m_maker.setSource(ElementType::Dimension);
  for (PendingDimension& p : m_pendingDimensions) {
    if (p.dimension.resolve(m_targets))
      drawDimension(*p.owner, p.display, p.dimension);
    else
      ++m_stats.unresolvedDimensions;
  }
  m_pendingDimensions.clear();
  const TagAttachment::Counts tags = m_tags.attach(*m_modelSpace);
  m_stats.made = m_maker.made();
  for (const auto& [kind, count] : {std::make_pair("ATTRIB", tags.attributes), std::make_pair("DGN_TAGS data", tags.extendedData),
                                     std::make_pair("without the element it names", tags.withoutHost)})
    if (count > 0)
      m_stats.made[{ElementType::TagValue, kind}] = count;
  for (const auto& [type, count] : m_stats.coarser)
    m_stats.made[{type, "drawn coarser for the file's vertex budget"}] = count;
  return true;
}

OdDbBlockTableRecord& Converter::target()
{
  for (auto it = m_open.rbegin(); it != m_open.rend(); ++it)
    if ((*it)->kind == Kind::Cell || (*it)->kind == Kind::SharedCellDefinition)
      return *static_cast<const BlockCollector&>(**it).block;
  return *m_modelSpace;
}

bool Converter::inside(Kind kind) const
{
  return std::any_of(m_open.begin(), m_open.end(), [kind](const auto& o) { return o->kind == kind; });
}

size_t Converter::blockDepth() const
{
  return size_t(std::count_if(m_open.begin(), m_open.end(), [](const auto& o) {
    return o->kind == Kind::Cell || o->kind == Kind::SharedCellDefinition;
  }));
}

ChainCollector* Converter::chainCollector() const
{
  return collecting(Kind::Chain) || collecting(Kind::Shape) ? static_cast<ChainCollector*>(m_open.back().get()) : nullptr;
}

const CoordinateMap& Converter::map() const
{
  return inside(Kind::SharedCellDefinition) ? m_localMap : m_map;
}

OdDbBlockTableRecordPtr Converter::newBlock(const OdString& name, const char16_t* fallback, const OdGePoint3d& origin)
{
  // Block names may not hold the characters the drawing format reserves, nor control characters.
  std::u16string base;
  for (char16_t c : name.str())
    base.push_back(c < 0x20 || std::u16string_view(u"<>/\\\":;?*|=,`").find(c) != std::u16string_view::npos ? u'_' : c);
  while (!base.empty() && base.back() == u' ')
    base.pop_back();
  if (base.empty())
    base = fallback;
  OdDbBlockTablePtr blocks = OdDbBlockTable::cast(m_db->getBlockTableId().openObject(OdDb::kForWrite).get());
  // Names taken before are not tried again: files of many cells of one name stay linear. Cells
  // of one name mostly come in runs, which find their counter without a look-up.
  if (!m_lastTaken || base != m_lastBase) {
    m_lastTaken = &m_nameSuffixes[nameKey(OdString(base))];
    m_lastBase = base;
  }
  int& taken = *m_lastTaken;
  const auto candidate = [&base](int n) {
    const std::string digits = n < 2 ? std::string() : "_" + std::to_string(n);
    return base + std::u16string(digits.begin(), digits.end());
  };
  taken = taken == 0 ? 1 : taken + 1;
  OdDbBlockTableRecordPtr block = OdRxObjectImpl<OdDbBlockTableRecord>::createObject();
  block->origin = origin;
  // The table refuses a name it holds; the next number is tried then, as seldom as names clash,
  // and the table is searched once a block.
  for (;; ++taken) {
    block->setName(OdString(candidate(taken)));
    try {
      blocks->add(block.get());
      return block;
    } catch (const OdError& error) {
      if (error.code() != eDuplicateKey)
        throw;
    }
  }
}

void Converter::element(const Element& e)
{
  ++m_stats.elements;
  m_targets.add(e, map());
  const bool component = !m_open.empty() && e.isComplex();
  if (!component) {
    // A complex element ends early when an element outside it arrives.
    while (!m_open.empty())
      finishInnermost();
  } else {
    for (const auto& o : m_open)
      o->words -= long(e.size() / 2);
  }
  const bool skipping = collecting(Kind::Skip);
  if (e.isDeleted() || skipping || (m_options.skipInvisible && e.type() != ElementType::DesignFileHeader &&
                                    e.type() != ElementType::GroupData &&
                                    (e.properties() & kInvisible))) {
    ++m_stats.skipped;
    // A skipped complex header takes its components with it.
    if (!skipping && componentWords(e) > 0)
      skip(e);
  } else if (const Handler handler = m_handlers[e.type()]) {
    m_maker.setSource(e.type());
    const size_t open = m_open.size();
    (this->*handler)(e);
    // What an element that tags name became; a complex element's, once it is finished.
    if (const std::optional<uint32_t> id = Linkages(e).elementId()) {
      if (m_open.size() > open)
        m_open.back()->elementId = id;
      else
        m_tags.addHost(*id, m_maker.lastMade());
    }
  } else {
    ++m_stats.unknown;
  }
  closeFinished();
}

void Converter::closeFinished()
{
  while (!m_open.empty() && m_open.back()->words <= 0)
    finishInnermost();
}

void Converter::finishInnermost()
{
  const std::unique_ptr<Collector> last = std::move(m_open.back());
  m_open.pop_back();
  finish(*last);
}

bool Converter::mayHold(Kind outer, Kind inner)
{
  switch (outer) {
  case Kind::Cell:
  case Kind::SharedCellDefinition: return true;
  case Kind::Swept: return inner == Kind::Spline || inner == Kind::Chain || inner == Kind::Shape;
  case Kind::Chain:
  case Kind::Shape: return inner == Kind::Spline;
  default: return false;
  }
}

bool Converter::mayOpen(Kind kind, const Element& header)
{
  const long words = componentWords(header);
  if (words <= 0) {
    ++m_stats.malformed;
    return false;
  }
  // A complex element where it cannot be is skipped with its components: complex elements nested
  // without end would make every component cost as much as the depth.
  if (!m_open.empty() && !mayHold(m_open.back()->kind, kind)) {
    ++m_stats.malformed;
    m_open.push_back(std::make_unique<Collector>(Kind::Skip, header, words));
    return false;
  }
  return true;
}

void Converter::skip(const Element& header)
{
  const long words = componentWords(header);
  if (words > 0)
    m_open.push_back(std::make_unique<Collector>(Kind::Skip, header, words));
  else
    ++m_stats.malformed;
}

template <class C, class... Args>
C& Converter::open(Kind kind, const Element& header, Args&&... args)
{
  m_open.push_back(std::make_unique<C>(kind, header, componentWords(header), std::forward<Args>(args)...));
  return static_cast<C&>(*m_open.back());
}

void Converter::onDimension(const Element& e)
{
  DimensionData d;
  if (!readDimension(e, map(), d)) {
    ++(map().is3d() ? m_stats.threeDDimensions : m_stats.malformed);
    return;
  }
  if (d.resolve(m_targets))
    drawDimension(target(), Display::of(e), d);
  else
    m_pendingDimensions.push_back({OdDbBlockTableRecordPtr(&target()), Display::of(e), std::move(d)});
}

void Converter::drawDimension(OdDbBlockTableRecord& owner, const Display& display, const DimensionData& d)
{
  DimensionGraphics drawn;
  if (dgn::drawDimension(d, m_dimensionFormat, drawn))
    m_dimensions.make(owner, display, drawn);
  else
    ++m_stats.malformed;
}

void Converter::onApplicationData(const Element& e)
{
  TagSet set;
  if (!isTagSet(e))
    return; // settings of applications, not drawing
  if (readTagSet(e, set))
    m_tags.addSet(std::move(set));
  else
    ++m_stats.malformed;
}

void Converter::onTagValue(const Element& e)
{
  TagValue tag;
  if (readTagValue(e, map(), m_decoder, tag))
    m_tags.addValue(tag, Display::of(e), !(e.properties() & kInvisible));
  else
    ++m_stats.malformed;
}

void Converter::onLinear(const Element& e)
{
  if (!readVertices(e, map(), m_points)) {
    ++m_stats.malformed;
    return;
  }
  ChainCollector* chain = chainCollector();
  if (e.type() == ElementType::Curve) {
    onCurve(e, chain);
    return;
  }
  if (collecting(Kind::Swept)) {
    addToSwept(e, m_points, nullptr);
    return;
  }
  if (chain) {
    chain->chain.addPoints(m_points);
    return;
  }
  const Display d = Display::of(e);
  switch (e.type()) {
  case ElementType::Line: m_maker.line(target(), d, m_points.front(), m_points.back()); break;
  case ElementType::PointString: m_maker.points(target(), d, m_points); break;
  case ElementType::Shape:
    if (const std::optional<int> fill = Linkages(e).fillColor())
      m_maker.fill(target(), filledWith(d, *fill), {Chain::runThrough(m_points)});
    m_maker.polyline(target(), d, m_points, true, true);
    break;
  default: m_maker.polyline(target(), d, m_points, false, false); break;
  }
}

void Converter::onCurve(const Element& e, ChainCollector* chain)
{
  const MicroStationCurve curve = MicroStationCurve::through(m_points);
  if (!curve.empty() && !chain && !collecting(Kind::Swept)) {
    m_maker.curve(target(), Display::of(e), curve);
    return;
  }
  std::vector<OdGePoint3d> drawn;
  if (!curve.empty()) {
    curve.stroke(tolerance(collecting(Kind::Swept) ? kMeshTolerance : kCurveTolerance, curve.bounds()), drawn,
                 m_detail.allowance());
    m_detail.spend(drawn.size());
  }
  if (collecting(Kind::Swept)) {
    addToSwept(e, curve.empty() ? m_points : drawn, nullptr);
    return;
  }
  if (curve.empty()) {
    // Too few points for a piece: the ones it passes through, without those that steer its ends.
    ++m_stats.malformed;
    drawn = m_points.size() > 4 ? std::vector<OdGePoint3d>(m_points.begin() + 2, m_points.end() - 2) : m_points;
  }
  if (chain)
    chain->chain.addPoints(drawn);
  else
    m_maker.polyline(target(), Display::of(e), drawn, false, false);
}

void Converter::onConic(const Element& e)
{
  Conic c;
  if (!readConic(e, map(), c)) {
    ++m_stats.malformed;
    return;
  }
  if (collecting(Kind::Swept)) {
    addToSwept(e, {}, &c); // drawn as finely as the whole shape needs, once it is known
    return;
  }
  if (c.xAxis.length() == 0.0 || c.yAxis.length() == 0.0) {
    ++m_stats.malformed;
    m_points = collapsed(c);
    if (ChainCollector* chain = chainCollector())
      chain->chain.addPoints(m_points);
    else
      m_maker.line(target(), Display::of(e), m_points.front(), m_points.back());
    return;
  }
  if (ChainCollector* chain = chainCollector()) {
    if (c.isCircular()) {
      chain->chain.addArc(c);
      return;
    }
    m_points.clear();
    m_maker.strokeClosely(c, m_points);
    chain->chain.addPoints(m_points);
    return;
  }
  const std::optional<int> fill = Linkages(e).fillColor();
  if (fill && c.full)
    m_maker.fill(target(), filledWith(Display::of(e), *fill), c);
  m_maker.conic(target(), Display::of(e), c);
}

void Converter::onText(const Element& e)
{
  TextData t;
  if (!readText(e, map(), m_decoder, t)) {
    ++m_stats.malformed;
    return;
  }
  TextNodeCollector* node = collector<TextNodeCollector>(Kind::TextNode);
  if (node && !m_options.explodeTextNodes) {
    node->addLine(t.text);
    return;
  }
  m_maker.text(target(), Display::of(e), t);
}

void Converter::onTextNode(const Element& e)
{
  TextData node;
  if (!readTextNode(e, map(), node)) {
    ++m_stats.malformed;
    return;
  }
  if (componentWords(e) == 0)
    return; // a node of no lines keeps a place for text: nothing to draw
  if (mayOpen(Kind::TextNode, e))
    open<TextNodeCollector>(Kind::TextNode, e).node = node;
}

void Converter::onComplex(const Element& e)
{
  // Components meet where their ends lie within a few units of resolution of each other, or a
  // millionth of the element's size: what arcs' rounded angles and far centres leave between them.
  const Kind kind = e.type() == ElementType::ComplexShape ? Kind::Shape : Kind::Chain;
  if (!mayOpen(kind, e))
    return;
  ChainCollector& chain =
    open<ChainCollector>(kind, e, map().length(std::max(kJoinResolutions, kJoinShare * storedRangeSize(e, map().dimensions()))));
  if (kind == Kind::Shape)
    chain.fill = Linkages(e).fillColor();
}

void Converter::onCell(const Element& e)
{
  OdString name;
  OdGePoint3d origin;
  if (!readCell(e, map(), name, origin) || blockDepth() >= kMaxCellDepth) {
    ++m_stats.malformed;
    skip(e);
    return;
  }
  if (!mayOpen(Kind::Cell, e))
    return;
  const OdDbObjectId owner = target().objectId();
  // Every placement gets its own definition: components are stored placed, not as a pattern.
  const BlockCollector& cell = open<BlockCollector>(Kind::Cell, e, newBlock(name, u"CELL", origin), origin);
  m_uses[owner].push_back(cell.block->objectId());
}

void Converter::onSharedCellDefinition(const Element& e)
{
  SharedCell cell;
  if (blockDepth() >= kMaxCellDepth || !readSharedCell(e, m_localMap, cell)) {
    ++m_stats.malformed;
    skip(e);
    return;
  }
  if (!mayOpen(Kind::SharedCellDefinition, e))
    return;
  const BlockCollector& definition =
    open<BlockCollector>(Kind::SharedCellDefinition, e, newBlock(cell.name, u"SHAREDCELL", cell.origin), cell.origin);
  // The first definition of a name is the one its instances use.
  m_definitions.emplace(nameKey(cell.name), definition.block->objectId());
}

void Converter::onSharedCellInstance(const Element& e)
{
  SharedCell cell;
  if (!readSharedCell(e, map(), cell)) {
    ++m_stats.malformed;
    return;
  }
  OdDbBlockTableRecordPtr owner(&target());
  if (m_definitions.count(nameKey(cell.name)))
    place(*owner, Display::of(e), cell);
  else
    m_pending.push_back({owner, Display::of(e), cell});
}

void Converter::place(OdDbBlockTableRecord& owner, const Display& display, const SharedCell& cell)
{
  const Placement placement = Placement::of(cell.axes, m_map.is3d());
  if (!(placement.scale.x > 0.0) || placement.scale.y == 0.0 || placement.scale.z == 0.0) {
    ++m_stats.malformed;
    return;
  }
  const OdDbObjectId definition = m_definitions.at(nameKey(cell.name));
  // A definition that would come to hold itself, directly or through others, cannot be drawn.
  // While the file streams in, only a block still being filled can come to hold itself: a
  // finished block reaches finished blocks only, and the blocks being filled each hold the next.
  // The instances placed after the file, whose definitions came late, may close a loop anywhere.
  const bool loop = m_open.empty() ? reaches(definition, owner.objectId()) : filling(definition);
  if (owner.objectId() != m_modelSpace->objectId() && loop) {
    ++m_stats.malformed;
    return;
  }
  m_uses[owner.objectId()].push_back(definition);
  m_maker.reference(owner, display, definition, cell.origin, placement);
}

bool Converter::filling(OdDbObjectId block) const
{
  return std::any_of(m_open.begin(), m_open.end(), [block](const auto& o) {
    return (o->kind == Kind::Cell || o->kind == Kind::SharedCellDefinition) &&
           static_cast<const BlockCollector&>(*o).block->objectId() == block;
  });
}

bool Converter::reaches(OdDbObjectId from, OdDbObjectId to)
{
  std::vector<OdDbObjectId> todo{from};
  std::set<OdDbObjectId> seen;
  while (!todo.empty()) {
    const OdDbObjectId block = todo.back();
    todo.pop_back();
    // Past its budget the search answers yes: the instance is left out and counted, rather than
    // a file of late instances in long chains taking minutes.
    if (block == to || m_searchBudget == 0)
      return true;
    --m_searchBudget;
    if (!seen.insert(block).second)
      continue;
    const auto used = m_uses.find(block);
    if (used != m_uses.end())
      todo.insert(todo.end(), used->second.begin(), used->second.end());
  }
  return false;
}

template <class C, class Header>
void Converter::openHeader(Kind kind, const Element& e, bool (*read)(const Element&, Header&))
{
  Header header;
  if (!read(e, header)) {
    ++m_stats.malformed;
    skip(e);
    return;
  }
  if (mayOpen(kind, e))
    open<C>(kind, e, header);
}

void Converter::onSplineHeader(const Element& e)
{
  openHeader<SplineCollector>(Kind::Spline, e, readSplineHeader);
}

void Converter::onPoles(const Element& e)
{
  if (SurfaceCollector* surface = collector<SurfaceCollector>(Kind::Surface)) {
    readVertices(e, map(), m_points);
    surface->rows.push_back(m_points);
    return;
  }
  SplineCollector* spline = collector<SplineCollector>(Kind::Spline);
  if (!spline) {
    onLinear(e); // poles on their own draw as their control polygon
    return;
  }
  if (readVertices(e, map(), m_points))
    spline->poles.insert(spline->poles.end(), m_points.begin(), m_points.end());
}

void Converter::onFractions(const Element& e)
{
  const bool knots = e.type() == ElementType::BSplineKnots;
  if (SurfaceCollector* s = collector<SurfaceCollector>(Kind::Surface)) {
    if (knots) {
      readFractions(e, s->surface.u.knots + s->surface.v.knots, s->knots);
    } else {
      s->weightRows.emplace_back();
      readFractions(e, s->surface.u.poles, s->weightRows.back());
    }
  } else if (SplineCollector* s = collector<SplineCollector>(Kind::Spline)) {
    readFractions(e, knots ? s->spline.knots : s->spline.poles, knots ? s->knots : s->weights);
  }
}

void Converter::finishSpline(SplineCollector& o)
{
  if (o.poles.size() > size_t(o.spline.poles))
    o.poles.resize(size_t(o.spline.poles));
  if (o.spline.rational)
    unweight(o.poles, o.weights);
  bool repaired = false;
  const BSplineCurve curve = splineCurve(o.spline, std::move(o.poles), o.knots, std::move(o.weights), repaired);
  m_stats.malformed += repaired || !curve.valid();
  if (!curve.valid())
    return;
  // Inside a chain or shape the curve is part of its outline, inside a 3D surface or solid of a
  // boundary.
  const Bounds box = curve.bounds();
  const bool point = !(box.size() > 0.0); // all its poles in one place
  m_stats.malformed += point && !repaired;
  ChainCollector* chain = chainCollector();
  SweptCollector* swept = collector<SweptCollector>(Kind::Swept);
  if (chain || swept) {
    std::vector<OdGePoint3d> drawn;
    if (point)
      drawn.push_back(curve.poles.front());
    else
      strokeCurve([&curve](double t) { return curve.at(t); }, curve.start(), curve.end(),
                  4 * int(curve.poles.size()), tolerance(kCurveTolerance, box), drawn, m_detail.allowance());
    m_detail.spend(drawn.size());
    if (swept)
      swept->shape.addBoundaryElement(drawn);
    else
      chain->chain.addPoints(drawn);
    return;
  }
  if (point)
    m_maker.line(target(), o.display, curve.poles.front(), curve.poles.front());
  else
    m_maker.spline(target(), o.display, curve, o.spline.closed);
}

void Converter::unweight(std::vector<OdGePoint3d>& poles, const std::vector<double>& weights) const
{
  if (weights.size() != poles.size())
    return; // not rational after all: the curve is repaired without weights
  for (size_t i = 0; i < poles.size(); ++i)
    if (weights[i] > 0.0)
      poles[i] = map().unweighted(poles[i], weights[i]);
}

double Converter::tolerance(double relative, const Bounds& box) const
{
  return m_detail.tolerance(relative, box.size(), box.magnitude());
}

template <class MakeMesh>
Mesh Converter::budgeted(int type, MakeMesh make)
{
  const bool spent = m_detail.spent();
  Mesh mesh = make(m_detail.allowance());
  m_detail.spend(mesh.vertices.size());
  if (spent || mesh.coarse)
    ++m_stats.coarser[type];
  return mesh;
}

void Converter::onSurfaceHeader(const Element& e)
{
  openHeader<SurfaceCollector>(Kind::Surface, e, readSurfaceHeader);
}

void Converter::onBoundary(const Element& e)
{
  int number = 0;
  std::vector<OdGePoint2d> points;
  bool clamped = false;
  SurfaceCollector* surface = collector<SurfaceCollector>(Kind::Surface);
  if (!surface || !readBoundary(e, number, points, clamped)) {
    ++m_stats.malformed;
    return;
  }
  surface->addBoundary(number, points, clamped);
}

void Converter::finishSurface(SurfaceCollector& o)
{
  if (o.surface.u.rational)
    for (size_t r = 0; r < o.rows.size() && r < o.weightRows.size(); ++r)
      unweight(o.rows[r], o.weightRows[r]);
  bool repaired = false;
  const BSplineSurface surface =
    BSplineSurface::from(o.surface, std::move(o.rows), std::move(o.weightRows), o.knots, repaired);
  std::vector<std::vector<OdGePoint2d>> boundaries;
  for (auto& [number, points] : o.boundaries) {
    if (points.size() < 3)
      repaired = true; // no inside to tell from its outside
    else
      boundaries.push_back(std::move(points));
  }
  const Bounds box = surface.valid() ? surface.bounds() : Bounds();
  m_stats.malformed += repaired || o.clamped || !(box.size() > 0.0);
  if (!surface.valid())
    return;
  if (!(box.size() > 0.0)) {
    const OdGePoint3d p = surface.at(0.0, 0.0);
    m_maker.line(target(), o.display, p, p);
    return;
  }
  const double within = tolerance(kMeshTolerance, box);
  const Mesh mesh = budgeted(o.type, [&](size_t allowance) {
    return surfaceMesh(surface, boundaries, o.surface.outsideRemoved, within, allowance);
  });
  if (!mesh.empty())
    m_maker.mesh(target(), o.display, mesh);
}

void Converter::onSweptHeader(const Element& e)
{
  openHeader<SweptCollector>(Kind::Swept, e, readSweptHeader);
}

void Converter::addToSwept(const Element& e, const std::vector<OdGePoint3d>& points, const Conic* arc)
{
  SweptShape& swept = static_cast<SweptCollector&>(*m_open.back()).shape;
  if (e.elementClass() == kPrimaryRule || e.elementClass() == kConstructionRule)
    swept.addRule(arc);
  else
    swept.addBoundaryElement(points, arc);
}

void Converter::finishSwept(SweptCollector& o)
{
  const double within = tolerance(kMeshTolerance, o.shape.bounds());
  const Mesh mesh = budgeted(o.type, [&](size_t allowance) { return o.shape.mesh(within, allowance); });
  if (!mesh.empty()) {
    m_maker.mesh(target(), o.display, mesh);
    return;
  }
  // What cannot be swept keeps its boundaries.
  const std::vector<std::vector<OdGePoint3d>> outlines = o.shape.outlines(within);
  m_stats.malformed += !outlines.empty();
  for (const auto& outline : outlines)
    m_maker.polyline(target(), o.display, outline, false, false);
}

void Converter::onCone(const Element& e)
{
  Cone cone;
  if (!readCone(e, map(), cone)) {
    ++m_stats.malformed;
    return;
  }
  if (cone.radii[0] == 0.0 && cone.radii[1] == 0.0) {
    ++m_stats.malformed; // no width: its axis
    m_maker.line(target(), Display::of(e), cone.centers[0], cone.centers[1]);
    return;
  }
  const double within = tolerance(kMeshTolerance, cone.bounds());
  m_maker.mesh(target(), Display::of(e), budgeted(e.type(), [&](size_t allowance) { return cone.mesh(within, allowance); }));
}

void Converter::finish(Collector& o)
{
  make(o);
  if (o.elementId)
    m_tags.addHost(*o.elementId, m_maker.lastMade());
}

void Converter::make(Collector& o)
{
  m_maker.setSource(o.type);
  OdDbBlockTableRecord& block = target();
  switch (o.kind) {
  case Kind::Chain:
  case Kind::Shape: {
    const auto& collected = static_cast<const ChainCollector&>(o);
    if (collected.chain.empty())
      break;
    if (collected.fill)
      m_maker.fill(block, filledWith(o.display, *collected.fill), collected.chain.loops());
    m_maker.chain(block, o.display, collected.chain, o.kind == Kind::Shape);
    break;
  }
  case Kind::TextNode: {
    const auto& node = static_cast<const TextNodeCollector&>(o);
    if (node.lines > 0)
      m_maker.mtext(block, o.display, node.node, node.contents);
    break;
  }
  case Kind::Cell: {
    const auto& cell = static_cast<const BlockCollector&>(o);
    m_maker.reference(block, o.display, cell.block->objectId(), cell.origin, Placement{});
    break;
  }
  case Kind::SharedCellDefinition:
    break; // drawn only where an instance places it
  case Kind::Spline:
    finishSpline(static_cast<SplineCollector&>(o));
    break;
  case Kind::Surface:
    finishSurface(static_cast<SurfaceCollector&>(o));
    break;
  case Kind::Swept:
    finishSwept(static_cast<SweptCollector&>(o));
    break;
  case Kind::Skip:
    break;
  }
}

} // namespace dgn
