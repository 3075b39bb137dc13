#pragma once
#include "DimensionGraphics.h"
#include "EntityMaker.h"
#include "TextDecoder.h"

#include <DbDatabase.h>

namespace dgn {

// Makes a drawn dimension a DIMENSION of the drawing: its defining points and measurement, and an
// anonymous block with what MicroStation draws (lines, arrowheads filled solid, texts), which
// the import keeps as it is rather than recomputing it.
class DimensionMaker {
public:
  DimensionMaker(OdDbDatabase* db, EntityMaker& maker, TextDecoder& decoder)
    : m_db(db), m_maker(maker), m_decoder(decoder)
  {
  }

  void make(OdDbBlockTableRecord& block, const Display& d, const DimensionGraphics& drawn);

private:
  OdDbBlockTableRecordPtr drawing(const Display& d, const DimensionGraphics& drawn);
  OdString decoded(const std::string& text);

  OdDbDatabase* m_db;
  EntityMaker& m_maker;
  TextDecoder& m_decoder;
};

} // namespace dgn
