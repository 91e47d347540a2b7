// Builds one fixed-width report line from its fields, as printf's widths do:
// a width is a minimum counted in bytes, a value longer than its width is
// written whole, nothing is ever cut. One buffer, reused line after line.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string_view>

namespace zunkaro {

class LineFormat {
 public:
  // Text as it stands ("%s").
  LineFormat& Text(std::string_view text) {
    Reserve(text.size());
    if (text.size() <= kShort) {
      // Most fields: byte by byte beats a call.
      for (const char c : text) bytes_[size_++] = c;
    } else {
      std::memcpy(bytes_.data() + size_, text.data(), text.size());
      size_ += text.size();
    }
    return *this;
  }
  // A literal: its size is known here, so the copy is a few moves.
  template <std::size_t N>
  LineFormat& Text(const char (&literal)[N]) {
    Reserve(N - 1);
    std::memcpy(bytes_.data() + size_, literal, N - 1);
    size_ += N - 1;
    return *this;
  }
  // Text filled with spaces on the left to `width` ("%8s").
  LineFormat& Right(std::string_view text, std::size_t width) {
    Pad(text.size(), width, ' ');
    return Text(text);
  }
  // Text filled with spaces on the right to `width` ("%-16s").
  LineFormat& Left(std::string_view text, std::size_t width) {
    Text(text);
    Pad(text.size(), width, ' ');
    return *this;
  }
  // A decimal number filled with spaces on the left ("%3d").
  LineFormat& Number(std::int64_t value, std::size_t width) {
    Pad(Width(value), width, ' ');
    return Put(Magnitude(value), value < 0);
  }
  // A decimal number filled with zeros after its sign ("%05u", "%02d").
  LineFormat& ZeroFilled(std::int64_t value, std::size_t width) {
    if (value < 0) {
      Text("-");
    }
    const std::size_t sign = value < 0 && width > 0 ? 1 : 0;
    Pad(DigitCount(Magnitude(value)), width - sign, '0');
    return Put(Magnitude(value), false);
  }

  // The line so far; Clear starts the next.
  [[nodiscard]] std::string_view View() const noexcept { return {bytes_.data(), size_}; }
  void Clear() noexcept { size_ = 0; }

 private:
  // The magnitude as unsigned, so that the most negative value works too.
  [[nodiscard]] static constexpr std::uint64_t Magnitude(std::int64_t value) noexcept {
    return value < 0 ? ~static_cast<std::uint64_t>(value) + 1 : static_cast<std::uint64_t>(value);
  }

  [[nodiscard]] static constexpr std::size_t DigitCount(std::uint64_t magnitude) noexcept {
    std::size_t digits = 1;
    while (digits < kPowersOfTen.size() && magnitude >= kPowersOfTen[digits]) ++digits;
    return digits;
  }

  // Bytes of a number written in full: its digits, and its sign.
  [[nodiscard]] static constexpr std::size_t Width(std::int64_t value) noexcept {
    return DigitCount(Magnitude(value)) + (value < 0 ? 1 : 0);
  }

  // A number written in full, its last digit first from the end back.
  LineFormat& Put(std::uint64_t magnitude, bool negative) {
    const std::size_t width = DigitCount(magnitude) + (negative ? 1 : 0);
    Reserve(width);
    char* out = bytes_.data() + size_ + width;
    do {
      *--out = static_cast<char>('0' + magnitude % 10);
      magnitude /= 10;
    } while (magnitude != 0);
    if (negative) {
      *--out = '-';
    }
    size_ += width;
    return *this;
  }

  static constexpr std::array<std::uint64_t, 20> kPowersOfTen = [] {
    std::array<std::uint64_t, 20> powers{};
    std::uint64_t p = 1;
    for (auto& power : powers) {
      power = p;
      p *= 10;
    }
    return powers;
  }();

  void Pad(std::size_t size, std::size_t width, char fill) {
    if (size >= width) {
      return;
    }
    const std::size_t pad = width - size;
    Reserve(pad + kShort);
    if (pad <= kShort) {
      // A fixed-size fill, then only the pad's bytes kept: the room after
      // the line is there for it.
      std::memcpy(bytes_.data() + size_, fill == ' ' ? kSpaces.data() : kZeros.data(), kShort);
    } else {
      std::memset(bytes_.data() + size_, fill, pad);
    }
    size_ += pad;
  }

  void Reserve(std::size_t more) const {
    // No report line comes near this; a caller that asks for more is wrong.
    if (more > bytes_.size() - size_) throw std::length_error("report line too long");
  }

  static constexpr std::size_t kShort = 16;
  static constexpr std::array<char, kShort> kSpaces = [] {
    std::array<char, kShort> a{};
    a.fill(' ');
    return a;
  }();
  static constexpr std::array<char, kShort> kZeros = [] {
    std::array<char, kShort> a{};
    a.fill('0');
    return a;
  }();

  std::array<char, 512> bytes_;  // only the first size_ bytes are the line
  std::size_t size_ = 0;
};

}  // namespace zunkaro
