#include "tally/user_index.hpp"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include <sys/mman.h>

namespace zunkaro {
namespace {

constexpr unsigned kSmallestBits = 8;
constexpr std::uint32_t kEmpty = 0;  // entries hold slot + 1
constexpr std::uint64_t kHashMultiplier = 0x9E3779B97F4A7C15ULL;

[[nodiscard]] std::uint64_t Key(const UserIdText& id) noexcept {
  std::uint64_t key = 0;
  static_assert(sizeof key == kUserIdBytes);
  std::memcpy(&key, id.data(), sizeof key);
  return key;
}

// Fibonacci hashing: the top `bits` of the key times the golden ratio.
[[nodiscard]] std::size_t Home(std::uint64_t key, unsigned bits) noexcept {
  return static_cast<std::size_t>((key * kHashMultiplier) >> (64 - bits));
}

// Rooms up to this size come from the heap, cleared; larger ones are mapped.
constexpr std::size_t kLargestHeapRoom = std::size_t{64} << 10;

}  // namespace

UserIndex::Room UserIndex::NewRoom(unsigned bits) {
  const std::size_t bytes = (std::size_t{1} << bits) * sizeof(Entry);
  if (bytes <= kLargestHeapRoom) {
    void* const entries = std::calloc(std::size_t{1} << bits, sizeof(Entry));
    if (entries == nullptr) {
      throw std::bad_alloc();
    }
    return {static_cast<Entry*>(entries), bytes, false};
  }
  void* const entries =
      ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (entries == MAP_FAILED) {
    throw std::bad_alloc();
  }
  return {static_cast<Entry*>(entries), bytes, true};
}

void UserIndex::FreeRoom(Room room) noexcept {
  if (room.Mapped) {
    ::munmap(room.Entries, room.Bytes);
  } else {
    std::free(room.Entries);
  }
}

UserIndex::~UserIndex() { FreeRoom(room_); }

UserIndex::UserIndex(UserIndex&& other) noexcept
    : room_(std::exchange(other.room_, Room{})),
      capacityBits_(other.capacityBits_),
      bits_(other.bits_),
      count_(other.count_) {}

UserIndex& UserIndex::operator=(UserIndex&& other) noexcept {
  if (this != &other) {
    FreeRoom(room_);
    room_ = std::exchange(other.room_, Room{});
    capacityBits_ = other.capacityBits_;
    bits_ = other.bits_;
    count_ = other.count_;
  }
  return *this;
}

UserIndex::UserIndex(unsigned roomBits)
    : room_(NewRoom(std::max(roomBits, kSmallestBits))), bits_(kSmallestBits) {
  capacityBits_ = std::max(roomBits, kSmallestBits);
}

void UserIndex::Clear() noexcept {
  std::fill_n(room_.Entries, std::size_t{1} << bits_, Entry{0, kEmpty});
  bits_ = kSmallestBits;
  count_ = 0;
}

void UserIndex::Grow(const UserIdText& newest, const IdOfSlot& idOfSlot) {
  const std::size_t oldSize = std::size_t{1} << bits_;
  ++bits_;
  const std::size_t size = std::size_t{1} << bits_;
  if (bits_ > capacityBits_) {
    // Out of room: a new one, four times as large as the old index.
    const unsigned capacityBits = bits_ + 1;
    const Room room = NewRoom(capacityBits);
    FreeRoom(std::exchange(room_, room));
    capacityBits_ = capacityBits;
  } else {
    // The entries past the old size were never written since the room was
    // made, or were cleared: only the old ones need clearing.
    std::fill_n(room_.Entries, oldSize, Entry{0, kEmpty});
  }
  // Every slot again, from the User-IDs where they are kept; the newest
  // slot, just given, has none kept yet.
  for (std::uint32_t slot = 0; slot < count_; ++slot) {
    const std::uint64_t key = Key(slot + 1 == count_ ? newest : idOfSlot(slot));
    std::size_t probe = Home(key, bits_);
    while (room_.Entries[probe].Slot != kEmpty) {
      probe = (probe + 1) & (size - 1);
    }
    room_.Entries[probe] = {key, slot + 1};
  }
}

std::uint32_t UserIndex::FindOrAdd(const UserIdText& id, const IdOfSlot& idOfSlot) {
  const std::uint64_t key = Key(id);
  const std::size_t mask = (std::size_t{1} << bits_) - 1;
  std::size_t probe = Home(key, bits_);
  while (room_.Entries[probe].Slot != kEmpty) {
    if (room_.Entries[probe].Key == key) {
      return room_.Entries[probe].Slot - 1;
    }
    probe = (probe + 1) & mask;
  }
  room_.Entries[probe] = {key, static_cast<std::uint32_t>(count_ + 1)};
  ++count_;
  if (2 * count_ > mask + 1) {
    // Kept at most half full, so probes stay short.
    Grow(id, idOfSlot);
  }
  return kAdded;
}

}  // namespace zunkaro
