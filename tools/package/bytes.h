// Little-endian reading and writing over byte vectors: the PE format and
// every resource in it are little-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace package {

using Bytes = std::vector<std::uint8_t>;

inline bool Fits(const Bytes& b, std::size_t offset, std::size_t size) {
  return offset <= b.size() && size <= b.size() - offset;
}
// Callers check Fits first; out-of-range reads give 0 rather than fault.
inline std::uint32_t Get(const Bytes& b, std::size_t offset, int width) {
  if (!Fits(b, offset, static_cast<std::size_t>(width))) return 0;
  std::uint32_t v = 0;
  for (int i = width - 1; i >= 0; --i) v = (v << 8) | b[offset + static_cast<std::size_t>(i)];
  return v;
}
inline std::uint16_t Get16(const Bytes& b, std::size_t offset) { return static_cast<std::uint16_t>(Get(b, offset, 2)); }
inline std::uint32_t Get32(const Bytes& b, std::size_t offset) { return Get(b, offset, 4); }

inline void Set(Bytes& b, std::size_t offset, std::uint32_t v, int width) {
  for (int i = 0; i < width; ++i) b[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void Set16(Bytes& b, std::size_t offset, std::uint32_t v) { Set(b, offset, v, 2); }
inline void Set32(Bytes& b, std::size_t offset, std::uint32_t v) { Set(b, offset, v, 4); }

inline void Put16(Bytes& b, std::uint32_t v) { b.push_back(v & 0xFF), b.push_back((v >> 8) & 0xFF); }
inline void Put32(Bytes& b, std::uint32_t v) { Put16(b, v & 0xFFFF), Put16(b, v >> 16); }
inline void PadTo(Bytes& b, std::size_t alignment) {
  while (b.size() % alignment != 0) b.push_back(0);
}
inline std::uint32_t AlignUp(std::uint32_t value, std::uint32_t alignment) {
  return alignment == 0 ? value : (value + alignment - 1) / alignment * alignment;
}

}  // namespace package
