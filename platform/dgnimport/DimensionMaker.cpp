#include "DimensionMaker.h"

#include <DbDimension.h>
#include <RxObjectImpl.h>

namespace dgn {

OdString DimensionMaker::decoded(const std::string& text)
{
  return m_decoder.decode(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

OdDbBlockTableRecordPtr DimensionMaker::drawing(const Display& d, const DimensionGraphics& drawn)
{
  OdDbBlockTablePtr blocks = OdDbBlockTable::cast(m_db->getBlockTableId().openObject(OdDb::kForWrite).get());
  OdDbBlockTableRecordPtr block = OdRxObjectImpl<OdDbBlockTableRecord>::createObject();
  block->setName(OdString("*D")); // numbered by the table
  blocks->add(block.get());
  for (const std::vector<OdGePoint3d>& line : drawn.lines)
    m_maker.polyline(*block, d, line, false, false);
  for (const auto& head : drawn.arrowheads)
    m_maker.fill(*block, d, {Chain::runThrough({head[0], head[1], head[2]})});
  for (const DimensionText& t : drawn.texts) {
    OdDbTextPtr text = OdRxObjectImpl<OdDbText>::createObject();
    text->text = decoded(t.text);
    text->height = t.height;
    text->rotation = t.rotation;
    text->horizontalMode = t.anchor == DimensionText::Anchor::Start  ? OdDb::kTextLeft
                           : t.anchor == DimensionText::Anchor::End ? OdDb::kTextRight
                                                                      : OdDb::kTextCenter;
    text->verticalMode = OdDb::kTextVertMid;
    text->position = text->alignmentPoint = t.position;
    m_maker.append(*block, text.get(), d);
  }
  return block;
}

void DimensionMaker::make(OdDbBlockTableRecord& block, const Display& d, const DimensionGraphics& drawn)
{
  const DimensionEntity& e = drawn.entity;
  OdDbDimensionPtr dimension;
  if (e.kind == DimensionEntity::Kind::RotatedLinear) {
    OdDbRotatedDimensionPtr linear = OdRxObjectImpl<OdDbRotatedDimension>::createObject();
    linear->xLine1Point = e.first;
    linear->xLine2Point = e.last;
    linear->dimLinePoint = e.linePoint;
    linear->rotation = e.rotation;
    dimension = linear;
  } else {
    // A leader, or a kind whose meaning is not known: the closest is a dimension along its points.
    OdDbAlignedDimensionPtr aligned = OdRxObjectImpl<OdDbAlignedDimension>::createObject();
    aligned->xLine1Point = e.first;
    aligned->xLine2Point = e.last;
    aligned->dimLinePoint = e.linePoint;
    dimension = aligned;
  }
  dimension->textPosition = e.textPosition;
  dimension->textAtUserPosition = true; // where MicroStation put it
  dimension->measurement = e.measurement;
  dimension->dimensionText = decoded(e.textOverride);
  const int source = m_maker.source();
  m_maker.setSource(EntityMaker::kPartOfAnother);
  dimension->setDimBlockId(drawing(d, drawn)->objectId());
  m_maker.setSource(source);
  m_maker.append(block, dimension.get(), d);
}

} // namespace dgn
