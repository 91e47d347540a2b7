// An index from User-ID to a slot number, by open addressing. It starts
// small and doubles as User-IDs come, so its size follows the users, not the
// messages; its memory is kept from one run to the next.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "log/message_record.hpp"

namespace zunkaro {

class UserIndex {
 public:
  // Room enough for the users of any one log: 2^17 entries, 2 MiB of
  // address space, of which only the pages written are ever made.
  static constexpr unsigned kRoomForOneLog = 17;
  // A small room, from the heap: for indexes made by the thousand.
  static constexpr unsigned kSmallRoom = 12;

  // With room for 2^roomBits entries at first.
  explicit UserIndex(unsigned roomBits = kRoomForOneLog);
  ~UserIndex();
  UserIndex(UserIndex&& other) noexcept;
  UserIndex& operator=(UserIndex&& other) noexcept;
  UserIndex(const UserIndex&) = delete;
  UserIndex& operator=(const UserIndex&) = delete;

  // Forgets every User-ID; keeps the memory.
  void Clear() noexcept;

  // The User-ID of a slot already added: the index rebuilds itself from them
  // when it grows, so that it keeps no second copy of its entries.
  using IdOfSlot = std::function<const UserIdText&(std::uint32_t slot)>;

  // The slot of `id`; when it is not yet known, gives it the next slot (0,
  // then 1, and so on) and returns kAdded.
  static constexpr std::uint32_t kAdded = ~std::uint32_t{0};
  [[nodiscard]] std::uint32_t FindOrAdd(const UserIdText& id, const IdOfSlot& idOfSlot);

 private:
  // Key and slot side by side: one probe, one cache line.
  struct Entry {
    std::uint64_t Key;
    std::uint32_t Slot;  // slot + 1, or 0 when empty
  };
  // Room from the system, zero and unbacked until written.
  struct Room {
    Entry* Entries = nullptr;
    std::size_t Bytes = 0;
    bool Mapped = false;  // from mmap, or else from calloc
  };
  [[nodiscard]] static Room NewRoom(unsigned bits);
  static void FreeRoom(Room room) noexcept;
  void Grow(const UserIdText& newest, const IdOfSlot& idOfSlot);

  // Room for 2^capacityBits_ entries, all zero (empty) from the system, of
  // which the first 2^bits_ are in use: the system hands out a page only when
  // an entry on it is first written, so growing within the room costs
  // nothing, and an index that stays small touches few pages.
  Room room_;
  unsigned capacityBits_ = 0;
  unsigned bits_;
  std::size_t count_ = 0;
};

}  // namespace zunkaro
