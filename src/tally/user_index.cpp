#include "tally/user_index.hpp"

#include <algorithm>
#include <cstring>
#include <new>

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

}  // namespace

namespace {

// Room for the users of any one log at first: 2^17 entries, 2 MiB of address
// space, of which only the pages written are ever made.
constexpr unsigned kFirstCapacityBits = 17;

}  // namespace

UserIndex::UserIndex() : bits_(kSmallestBits) {
  entries_.reset(static_cast<Entry*>(std::calloc(std::size_t{1} << kFirstCapacityBits,
                                                 sizeof(Entry))));
  if (!entries_) {
    throw std::bad_alloc();
  }
  capacityBits_ = kFirstCapacityBits;
  // Room for the old half of a full index, written only as far as used.
  spare_.reserve(std::size_t{1} << (kFirstCapacityBits - 1));
}

void UserIndex::Clear() noexcept {
  std::fill_n(entries_.get(), std::size_t{1} << bits_, Entry{0, kEmpty});
  bits_ = kSmallestBits;
  count_ = 0;
}

void UserIndex::Grow() {
  const std::size_t oldSize = std::size_t{1} << bits_;
  spare_.assign(entries_.get(), entries_.get() + oldSize);
  ++bits_;
  const std::size_t size = std::size_t{1} << bits_;
  if (bits_ > capacityBits_) {
    // Out of room: a new one, four times as large, zero from calloc.
    const unsigned capacityBits = bits_ + 1;
    Entry* const room =
        static_cast<Entry*>(std::calloc(std::size_t{1} << capacityBits, sizeof(Entry)));
    if (room == nullptr) {
      throw std::bad_alloc();
    }
    entries_.reset(room);
    capacityBits_ = capacityBits;
  } else {
    // The entries past the old size were never written since the room was
    // made, or were cleared: only the old ones need clearing.
    std::fill_n(entries_.get(), oldSize, Entry{0, kEmpty});
  }
  for (const Entry& e : spare_) {
    if (e.Slot == kEmpty) {
      continue;
    }
    std::size_t probe = Home(e.Key, bits_);
    while (entries_[probe].Slot != kEmpty) {
      probe = (probe + 1) & (size - 1);
    }
    entries_[probe] = e;
  }
}

std::uint32_t UserIndex::FindOrAdd(const UserIdText& id, std::uint32_t slot) {
  const std::uint64_t key = Key(id);
  const std::size_t mask = (std::size_t{1} << bits_) - 1;
  std::size_t probe = Home(key, bits_);
  while (entries_[probe].Slot != kEmpty) {
    if (entries_[probe].Key == key) {
      return entries_[probe].Slot - 1;
    }
    probe = (probe + 1) & mask;
  }
  entries_[probe] = {key, slot + 1};
  ++count_;
  if (2 * count_ > mask + 1) {
    // Kept at most half full, so probes stay short.
    Grow();
  }
  return kAdded;
}

}  // namespace zunkaro
