// A table of record pointers with a fixed number of slots, and the records
// it points to. Records are made in blocks, owned by the table, and handed
// out again by the next run, so a run costs no allocation once the table has
// held as many records before. A block is one huge page where the system
// offers them, so that a large log does not fault its records in 4 KiB at a
// time.
#pragma once

#include <sys/mman.h>

#include <array>
#include <cstddef>
#include <cstdlib>
#include <memory>
#include <new>
#include <span>
#include <stdexcept>
#include <type_traits>
#include <vector>

namespace zunkaro {

// A table holds at most this many records; a log with more messages is
// refused as a whole.
inline constexpr std::size_t kTableSlots = 65000;

template <typename Record>
class RecordTable {
 public:
  RecordTable() = default;
  RecordTable(const RecordTable&) = delete;
  RecordTable& operator=(const RecordTable&) = delete;

  // Starts a new run: the records of the last one will be handed out again.
  void Clear() noexcept { made_ = 0; }

  // Puts a fresh record, all zero, in `slot`, and returns it.
  Record& Put(std::size_t slot) {
    if (slot >= kTableSlots) {
      throw std::out_of_range("record table slot");
    }
    const std::size_t block = made_ / kBlockRecords;
    if (block == blocks_.size()) {
      blocks_.push_back(NewBlock());
    }
    Record* record =
        new (static_cast<Record*>(blocks_[block].get()) + made_ % kBlockRecords) Record{};
    ++made_;
    slots_[slot] = record;
    return *record;
  }

  // The record in `slot`: null where none was ever put.
  [[nodiscard]] Record* operator[](std::size_t slot) const noexcept { return slots_[slot]; }

  // The slots themselves, for reordering the records among them.
  [[nodiscard]] std::span<Record*, kTableSlots> Slots() noexcept {
    return std::span<Record*, kTableSlots>(slots_.get(), kTableSlots);
  }
  [[nodiscard]] std::span<Record* const, kTableSlots> Slots() const noexcept {
    return std::span<Record* const, kTableSlots>(slots_.get(), kTableSlots);
  }

 private:
  static_assert(std::is_trivially_destructible_v<Record>);
  static constexpr std::size_t kBlockBytes = std::size_t{2} << 20;  // a huge page
  static constexpr std::size_t kBlockRecords = kBlockBytes / sizeof(Record);

  struct FreeBlock {
    void operator()(void* block) const noexcept { std::free(block); }
  };
  using Block = std::unique_ptr<void, FreeBlock>;

  [[nodiscard]] static Block NewBlock() {
    void* block = std::aligned_alloc(kBlockBytes, kBlockBytes);
    if (block == nullptr) {
      throw std::bad_alloc();
    }
#if defined(MADV_HUGEPAGE)
    // Only a hint: where huge pages are not offered, small ones serve.
    (void)madvise(block, kBlockBytes, MADV_HUGEPAGE);
#endif
    return Block(block);
  }

  // All null. Taken from calloc, whose large blocks come from the system
  // already zero, so a slot's page is touched only when a log reaches it.
  [[nodiscard]] static std::unique_ptr<Record*[], FreeBlock> NewSlots() {
    void* room = std::calloc(kTableSlots, sizeof(Record*));
    if (room == nullptr) {
      throw std::bad_alloc();
    }
    return std::unique_ptr<Record*[], FreeBlock>(static_cast<Record**>(room));
  }
  std::unique_ptr<Record*[], FreeBlock> slots_ = NewSlots();
  std::vector<Block> blocks_;
  std::size_t made_ = 0;
};

}  // namespace zunkaro
