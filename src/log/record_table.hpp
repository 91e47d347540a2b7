// A table of record pointers with a fixed number of slots, and the records
// it points to. Records are made in blocks, owned by the table, and handed
// out again by the next run, so a run costs no allocation once the table has
// held as many records before.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <span>
#include <stdexcept>
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
    const std::size_t block = made_ / kBlock;
    if (block == blocks_.size()) {
      blocks_.push_back(std::make_unique<Record[]>(kBlock));
    }
    Record& record = blocks_[block][made_ % kBlock];
    record = Record{};
    ++made_;
    slots_[slot] = &record;
    return record;
  }

  // The record in `slot`: null where none was ever put.
  [[nodiscard]] Record* operator[](std::size_t slot) const noexcept { return slots_[slot]; }

  // The slots themselves, for reordering the records among them.
  [[nodiscard]] std::span<Record*, kTableSlots> Slots() noexcept { return slots_; }

 private:
  static constexpr std::size_t kBlock = 4096;

  std::array<Record*, kTableSlots> slots_{};
  std::vector<std::unique_ptr<Record[]>> blocks_;
  std::size_t made_ = 0;
};

}  // namespace zunkaro
