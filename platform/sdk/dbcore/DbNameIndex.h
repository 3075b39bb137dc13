#pragma once
#include <OdAlloc.h>

#include <cstdint>
#include <vector>

// Positions of a table's records by the hash of their name: one flat array probed in order, so a
// look-up among 250,000 block names reads one or two neighbouring slots rather than a chain of
// nodes, and an entry takes 8 bytes. Several positions may share a hash (names that differ, or a
// record erased and its name reused); the caller compares the names.
class OdDbNameIndex {
public:
  // Calls f(position) for each position added under `hash`, in no particular order.
  template <class F>
  void forEach(uint32_t hash, F&& f) const
  {
    if (m_slots.empty())
      return;
    for (size_t i = home(hash); m_slots[i].used(); i = next(i))
      if (m_slots[i].hash == hash)
        f(m_slots[i].position - 1);
  }

  void add(uint32_t hash, uint32_t position)
  {
    if ((m_count + 1) * 4 > m_slots.size() * 3)
      grow();
    place({hash, position + 1});
    ++m_count;
  }

  // Forgets `position` under `hash`; the slots after it move up so that no probe stops short.
  void remove(uint32_t hash, uint32_t position)
  {
    if (m_slots.empty())
      return;
    size_t gap = home(hash);
    while (m_slots[gap].used() && !(m_slots[gap].hash == hash && m_slots[gap].position == position + 1))
      gap = next(gap);
    if (!m_slots[gap].used())
      return;
    for (size_t i = next(gap); m_slots[i].used(); i = next(i)) {
      // A slot may fill the gap unless its home lies after the gap, up to the slot itself.
      const size_t fromHome = (i - home(m_slots[i].hash)) & mask(), fromGap = (i - gap) & mask();
      if (fromHome >= fromGap) {
        m_slots[gap] = m_slots[i];
        gap = i;
      }
    }
    m_slots[gap] = Slot{};
    --m_count;
  }

private:
  struct Slot {
    uint32_t hash = 0;
    uint32_t position = 0; // one past the record's position; 0 marks a free slot
    bool used() const { return position != 0; }
  };

  size_t mask() const { return m_slots.size() - 1; }
  size_t home(uint32_t hash) const { return hash & mask(); }
  size_t next(size_t i) const { return (i + 1) & mask(); }

  void place(Slot slot)
  {
    size_t i = home(slot.hash);
    while (m_slots[i].used())
      i = next(i);
    m_slots[i] = slot;
  }

  void grow()
  {
    std::vector<Slot, OdrxAllocator<Slot>> old(m_slots.empty() ? 16 : 2 * m_slots.size());
    old.swap(m_slots);
    for (const Slot& slot : old)
      if (slot.used())
        place(slot);
  }

  std::vector<Slot, OdrxAllocator<Slot>> m_slots; // a power of two of them, at most three quarters used
  size_t m_count = 0;
};
