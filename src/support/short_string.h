#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace brimvel {

// The only text type of the system: at most 255 single-byte characters.
// Storing or joining past the capacity cuts silently; this class is the one
// place that enforces the cut, so no caller has to remember it.
class ShortString {
 public:
  static constexpr std::size_t kCapacity = 255;

  ShortString() = default;
  // Only the used bytes are copied: texts are copied on every line.
  ShortString(const ShortString& other) { Assign(other.view()); }
  ShortString& operator=(const ShortString& other) {
    if (this != &other) Assign(other.view());
    return *this;
  }
  ShortString(std::string_view text) { Assign(text); }  // NOLINT: implicit by design
  ShortString(const char* text) : ShortString(std::string_view(text)) {}
  ShortString(const std::string& text) : ShortString(std::string_view(text)) {}

  // Stores a text in place, cut at the capacity: no temporary is built.
  void assign(std::string_view text) { Assign(text); }

  std::string_view view() const { return std::string_view(bytes_, length_); }
  operator std::string_view() const { return view(); }
  std::string str() const { return std::string(bytes_, length_); }
  const char* data() const { return bytes_; }
  std::size_t size() const { return length_; }
  bool empty() const { return length_ == 0; }
  char operator[](std::size_t index) const { return bytes_[index]; }

  ShortString& operator+=(std::string_view more) {
    std::size_t room = kCapacity - length_;
    std::size_t n = more.size() < room ? more.size() : room;
    if (n != 0) std::memcpy(bytes_ + length_, more.data(), n);
    length_ = static_cast<std::uint8_t>(length_ + n);
    return *this;
  }

  friend ShortString operator+(ShortString left, std::string_view right) {
    left += right;
    return left;
  }
  friend ShortString operator+(ShortString left, const ShortString& right) {
    left += right.view();
    return left;
  }
  friend ShortString operator+(ShortString left, const char* right) {
    left += std::string_view(right);
    return left;
  }
  friend ShortString operator+(ShortString left, const std::string& right) {
    left += std::string_view(right);
    return left;
  }
  friend ShortString operator+(std::string_view left, const ShortString& right) {
    ShortString joined(left);
    joined += right.view();
    return joined;
  }
  friend ShortString operator+(const char* left, const ShortString& right) {
    return std::string_view(left) + right;
  }
  friend bool operator==(const ShortString& a, const ShortString& b) {
    return a.view() == b.view();
  }
  friend bool operator==(const ShortString& a, std::string_view b) { return a.view() == b; }
  friend bool operator==(const ShortString& a, const char* b) {
    return a.view() == std::string_view(b);
  }
  friend bool operator==(const ShortString& a, const std::string& b) {
    return a.view() == std::string_view(b);
  }

 private:
  void Assign(std::string_view text) {
    length_ = static_cast<std::uint8_t>(text.size() < kCapacity ? text.size() : kCapacity);
    if (length_ != 0) std::memmove(bytes_, text.data(), length_);
  }

  std::uint8_t length_ = 0;
  char bytes_[kCapacity];  // only the first length_ bytes are meaningful
};

}  // namespace brimvel
