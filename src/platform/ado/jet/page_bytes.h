// Little-endian integers and doubles in page buffers, as Jet stores every number. The readers
// take a span and an offset that the caller has checked lies inside it.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace ado::jet {

inline std::uint16_t GetU16(std::span<const std::uint8_t> bytes, std::size_t at) noexcept {
  return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}
inline std::uint32_t GetU24(std::span<const std::uint8_t> bytes, std::size_t at) noexcept {
  return bytes[at] | (bytes[at + 1] << 8) | (static_cast<std::uint32_t>(bytes[at + 2]) << 16);
}
inline std::uint32_t GetU32(std::span<const std::uint8_t> bytes, std::size_t at) noexcept {
  return GetU24(bytes, at) | (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}
inline std::uint64_t GetU64(std::span<const std::uint8_t> bytes, std::size_t at) noexcept {
  return GetU32(bytes, at) | (static_cast<std::uint64_t>(GetU32(bytes, at + 4)) << 32);
}
inline double GetF64(std::span<const std::uint8_t> bytes, std::size_t at) noexcept {
  const std::uint64_t bits = GetU64(bytes, at);
  double value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}
inline float GetF32(std::span<const std::uint8_t> bytes, std::size_t at) noexcept {
  const std::uint32_t bits = GetU32(bytes, at);
  float value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

inline void PutU16(std::span<std::uint8_t> bytes, std::size_t at, std::uint32_t value) noexcept {
  bytes[at] = static_cast<std::uint8_t>(value);
  bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}
inline void PutU32(std::span<std::uint8_t> bytes, std::size_t at, std::uint32_t value) noexcept {
  PutU16(bytes, at, value & 0xFFFF);
  PutU16(bytes, at + 2, value >> 16);
}
inline void PutF64(std::span<std::uint8_t> bytes, std::size_t at, double value) noexcept {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  PutU32(bytes, at, static_cast<std::uint32_t>(bits));
  PutU32(bytes, at + 4, static_cast<std::uint32_t>(bits >> 32));
}

// Appending forms, for building rows and definitions byte after byte.
inline void AppendU16(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}
inline void AppendU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  AppendU16(out, value & 0xFFFF);
  AppendU16(out, value >> 16);
}

}  // namespace ado::jet
