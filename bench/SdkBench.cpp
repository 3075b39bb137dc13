// How the drawing database and its DXF writer scale: the seconds to write 50,000 and 200,000
// lines, and to add 5,000 and 20,000 blocks, with the ratio of each pair. Linear work shows a
// ratio near 4 (a quarter of the items each time); work that looks at all before it shows 16.
// Then the seconds to write drawings of many blocks: 6 levels of blocks of 30 references each to
// the level below (as shared cells nest), whose extents take each block once, not each of the
// 30^6 placings of the innermost, and 250,000 blocks each referenced once from model space.
#include <DbDatabase.h>
#include <OdStreamBuf.h>
#include <RxObjectImpl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

namespace {

// Counts the bytes written and keeps none, so that memory plays no part.
class CountingStream : public OdStreamBuf {
public:
  void putBytes(const void*, OdUInt32 n) override { written += n; }
  OdUInt32 getBytes(void*, OdUInt32) override { return 0; }
  bool isEof() override { return true; }
  OdUInt64 tell() override { return written; }
  OdUInt64 length() override { return written; }
  void addRef() override {}
  void release() override {}
  OdUInt64 written = 0;
};

// The best of three runs of `work`, in seconds; `prepare` runs untimed before each.
double bestOfThree(const std::function<void()>& prepare, const std::function<void()>& work)
{
  double best = 1e30;
  for (int run = 0; run < 3; ++run) {
    prepare();
    const auto start = std::chrono::steady_clock::now();
    work();
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

OdDbDatabasePtr drawingOfLines(int lines)
{
  OdDbDatabasePtr db = OdRxObjectImpl<OdDbDatabase>::createObject();
  OdDbBlockTableRecordPtr model = OdDbBlockTableRecord::cast(db->getModelSpaceId().openObject(OdDb::kForWrite).get());
  for (int i = 0; i < lines; ++i) {
    OdDbLinePtr line = OdRxObjectImpl<OdDbLine>::createObject();
    line->start = {i * 0.1, i * 0.2, 0.0};
    line->end = {i * 0.3, -i * 0.7, 1.5};
    model->appendOdDbEntity(line.get());
  }
  return db;
}

double writeSeconds(const std::function<OdDbDatabasePtr()>& drawing)
{
  OdDbDatabasePtr db;
  return bestOfThree([&] { db = drawing(); },
                     [&] {
                       CountingStream stream;
                       db->writeFile(&stream, OdDb::kDxf, OdDb::kDHL_1032);
                     });
}

double writeSeconds(int lines)
{
  return writeSeconds([lines] { return drawingOfLines(lines); });
}

OdDbObjectId addBlock(OdDbDatabase& db, const std::string& name)
{
  OdDbBlockTableRecordPtr block = OdRxObjectImpl<OdDbBlockTableRecord>::createObject();
  block->setName(OdString(name.c_str()));
  return OdDbSymbolTable::cast(db.getBlockTableId().openObject(OdDb::kForWrite).get())->add(block.get());
}

void append(OdDbObjectId owner, const OdDbEntityPtr& entity)
{
  OdDbBlockTableRecord::cast(owner.openObject(OdDb::kForWrite).get())->appendOdDbEntity(entity.get());
}

OdDbBlockReferencePtr reference(OdDbObjectId block, const OdGePoint3d& at)
{
  OdDbBlockReferencePtr insert = OdRxObjectImpl<OdDbBlockReference>::createObject();
  insert->blockTableRecord = block;
  insert->position = at;
  return insert;
}

OdDbLinePtr line(const OdGePoint3d& start, const OdGePoint3d& end)
{
  OdDbLinePtr line = OdRxObjectImpl<OdDbLine>::createObject();
  line->start = start;
  line->end = end;
  return line;
}

// A line in the innermost block; each of `levels` blocks above holds `width` references to the
// one below it, and model space one to the outermost.
OdDbDatabasePtr drawingOfNestedBlocks(int levels, int width)
{
  OdDbDatabasePtr db = OdRxObjectImpl<OdDbDatabase>::createObject();
  OdDbObjectId below = addBlock(*db, "level0");
  append(below, line({0, 0, 0}, {1, 1, 0}));
  for (int level = 1; level <= levels; ++level) {
    const OdDbObjectId block = addBlock(*db, "level" + std::to_string(level));
    for (int i = 0; i < width; ++i)
      append(block, reference(below, {double(i * 2), double(level), 0}));
    below = block;
  }
  append(db->getModelSpaceId(), reference(below, {}));
  return db;
}

// Blocks of a line each, each referenced once from model space.
OdDbDatabasePtr drawingOfBlocks(int blocks)
{
  OdDbDatabasePtr db = OdRxObjectImpl<OdDbDatabase>::createObject();
  for (int i = 0; i < blocks; ++i) {
    const OdDbObjectId block = addBlock(*db, "cell_" + std::to_string(i));
    append(block, line({0, 0, 0}, {1, double(i % 7), 0}));
    append(db->getModelSpaceId(), reference(block, {double(i % 1000), double(i / 1000), 0}));
  }
  return db;
}

double addBlocksSeconds(int blocks)
{
  OdDbDatabasePtr db;
  return bestOfThree([&] { db = OdRxObjectImpl<OdDbDatabase>::createObject(); },
                     [&] {
                       OdDbSymbolTablePtr table = OdDbSymbolTable::cast(db->getBlockTableId().openObject(OdDb::kForWrite).get());
                       for (int i = 0; i < blocks; ++i) {
                         OdDbBlockTableRecordPtr block = OdRxObjectImpl<OdDbBlockTableRecord>::createObject();
                         block->setName(OdString(("cell_" + std::to_string(i)).c_str()));
                         table->add(block.get());
                       }
                     });
}

void print(const char* what, double few, double many)
{
  std::printf("%-36s %8.4f s %8.4f s  ratio %.1f\n", what, few, many, many / few);
}

} // namespace

int main()
{
  print("DXF of 50,000 / 200,000 lines", writeSeconds(50000), writeSeconds(200000));
  print("5,000 / 20,000 blocks added", addBlocksSeconds(5000), addBlocksSeconds(20000));
  std::printf("%-36s %8.4f s\n", "DXF of 6 levels of 30 nested refs", writeSeconds([] { return drawingOfNestedBlocks(6, 30); }));
  std::printf("%-36s %8.4f s\n", "DXF of 250,000 blocks, one ref each", writeSeconds([] { return drawingOfBlocks(250000); }));
  return 0;
}
