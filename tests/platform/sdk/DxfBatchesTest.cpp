// Large blocks are written on several threads: the texts must still arrive whole, in their order,
// with every handle where a one-thread writer would have put it, and in bounded memory.
#include "DxfTestSupport.h"

#include <ParallelInOrder.h>

#include <atomic>
#include <set>
#include <sstream>
#include <stdexcept>

using namespace dxftest;

TEST(ParallelInOrder, HandsOnEveryResultInOrderWithinItsWindow)
{
  struct Case {
    size_t count;
    unsigned workers;
    size_t window;
  };
  for (const Case c : {Case{0, 2, 4}, Case{1, 2, 4}, Case{5, 0, 2}, Case{1000, 1, 1}, Case{1000, 2, 3}, Case{3000, 4, 10}}) {
    std::atomic<int> held{0}, mostHeld{0};
    std::atomic<bool> badWorker{false};
    std::vector<std::string> taken, results(c.window ? c.window : 1);
    dxf::parallelInOrder(
        c.count, c.workers, c.window,
        [&](size_t item, unsigned worker) {
          badWorker = badWorker || worker >= std::max(1u, c.workers);
          results[item % results.size()] = std::to_string(item);
          const int now = ++held;
          for (int most = mostHeld; now > most && !mostHeld.compare_exchange_weak(most, now);) {
          }
        },
        [&](size_t item) {
          taken.push_back(results[item % results.size()]);
          --held;
        });
    SCOPED_TRACE(::testing::Message() << c.count << " items, " << c.workers << " workers, window " << c.window);
    ASSERT_EQ(taken.size(), c.count);
    for (size_t i = 0; i < c.count; ++i)
      ASSERT_EQ(taken[i], std::to_string(i));
    EXPECT_LE(mostHeld.load(), int(std::max<size_t>(c.window, 1)));
    EXPECT_FALSE(badWorker);
  }
}

TEST(ParallelInOrder, AFailureOnEitherSideStopsTheRunAndLeavesNoThread)
{
  // A worker thread is counted when it first makes a result and uncounted as it ends, by a
  // thread-local object: none may be left when the failure is raised.
  static std::atomic<int> liveWorkers{0};
  struct WorkerLife {
    WorkerLife() { ++liveWorkers; }
    ~WorkerLife() { --liveWorkers; }
  };
  for (const bool makerFails : {true, false}) {
    size_t takenCount = 0;
    const auto run = [&] {
      dxf::parallelInOrder(
          500, 2, 4,
          [&](size_t item, unsigned) {
            thread_local WorkerLife life;
            if (makerFails && item == 37)
              throw std::runtime_error("make 37");
          },
          [&](size_t) {
            if (!makerFails && takenCount == 11)
              throw std::runtime_error("take 11");
            ++takenCount;
          });
    };
    EXPECT_THROW(run(), std::runtime_error);
    EXPECT_LE(takenCount, makerFails ? 37u : 11u);
    EXPECT_EQ(liveWorkers, 0) << "every thread it started has ended";
  }
}

// Enough entities for several pieces, in model space, in one large block and in many small ones
// (enough block records for several pieces of their table too), with 3D polylines whose VERTEX and SEQEND records take handles of their own between the pieces,
// and one polyline whose piece outgrows a write buffer.
TEST(DxfBatches, ALargeDrawingHasItsEntitiesInOrderAndUniqueHandlesItsOwnInSequenceBelowTheSeed)
{
  OdDbDatabasePtr db = OdRxObjectImpl<OdDbDatabase>::createObject();
  const auto addBlock = [&](const std::string& name) {
    return addRecord(db->getBlockTableId(), make<OdDbBlockTableRecord>().get(), name.c_str());
  };
  std::vector<OdDbHandle> expected; // entity handles in the order they were added
  const auto fill = [&](OdDbObjectId owner, int count) {
    for (int i = 0; i < count; ++i) {
      if (i % 7 == 3) {
        OdDb3dPolylinePtr pline = append<OdDb3dPolyline>(owner);
        for (int v = 0; v <= i % 5; ++v)
          pline->vertices.push_back({double(i), double(v), 1.0});
        expected.push_back(pline->getHandle());
      } else {
        OdDbLinePtr line = append<OdDbLine>(owner);
        line->end = {double(i), 0.5, 0.0};
        expected.push_back(line->getHandle());
      }
    }
  };
  const OdDbObjectId big = addBlock("Big");
  fill(big, 7000);
  for (int i = 0; i < 3000; ++i)
    fill(addBlock("Small" + std::to_string(i)), i % 3);
  fill(db->getModelSpaceId(), 9000);
  OdDbPolylinePtr outline = append<OdDbPolyline>(db->getModelSpaceId()); // a piece larger than a write buffer
  for (int i = 0; i < 100000; ++i)
    outline->points.push_back({i * 0.001, 1.0});
  expected.push_back(outline->getHandle());
  OdDbBlockReferencePtr insert = append<OdDbBlockReference>(db->getModelSpaceId());
  insert->blockTableRecord = big;
  expected.push_back(insert->getHandle());

  // The records that are not database objects take handles from one counter, in file order; no
  // handle comes twice, and the header's seed lies above them all.
  std::istringstream in(dxfOf(*db));
  std::string code, value, type, seed, extents;
  std::vector<OdDbHandle> entities, own, blockRecords;
  std::set<OdDbHandle> all;
  while (std::getline(in, code) && std::getline(in, value)) {
    if (code == "0")
      type = value;
    else if (code == "9" && value == "$HANDSEED")
      std::getline(in, code) && std::getline(in, seed);
    else if (code == "9" && (value == "$EXTMIN" || value == "$EXTMAX"))
      for (int axis = 0; axis < 3 && std::getline(in, code) && std::getline(in, value); ++axis)
        extents += value + " ";
    else if (code == "5" || code == "105") {
      const OdDbHandle handle = std::stoull(value, nullptr, 16);
      EXPECT_TRUE(all.insert(handle).second) << "handle " << value << " twice";
      if (type == "BLOCK" || type == "ENDBLK" || type == "VERTEX" || type == "SEQEND")
        own.push_back(handle);
      else if (type == "BLOCK_RECORD")
        blockRecords.push_back(handle);
      else if (type == "LINE" || type == "POLYLINE" || type == "LWPOLYLINE" || type == "INSERT")
        entities.push_back(handle);
    }
  }
  EXPECT_EQ(entities, expected);
  std::vector<OdDbHandle> records;
  for (OdDbObjectId id : OdDbSymbolTable::cast(db->getBlockTableId().openObject().get())->recordIds())
    records.push_back(id.getHandle());
  EXPECT_EQ(blockRecords, records);
  ASSERT_FALSE(own.empty());
  for (size_t i = 1; i < own.size(); ++i)
    ASSERT_EQ(own[i], own[i - 1] + 1) << "record " << i << " of those without an object";
  EXPECT_GT(own.front(), db->handseed());
  ASSERT_FALSE(seed.empty());
  EXPECT_GT(std::stoull(seed, nullptr, 16), *all.rbegin());
  EXPECT_EQ(extents, "0 0 0 8999 4 1 ") << "the extents of model space, from all of its pieces";
}
