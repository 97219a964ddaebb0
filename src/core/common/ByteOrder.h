#pragma once
// Fixed-width numbers (integers of 1, 2, 4 or 8 bytes, float, double) in byte buffers in
// a stated byte order: the binary grid file and LAS are little-endian, GTX is
// big-endian. Values go through their bytes, so neither the host's byte order nor the
// alignment of the buffer matters.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

// The unsigned integer of T's width, in which its bytes are turned around.
template <typename T>
requires std::is_arithmetic_v<T> &&
    (sizeof(T) == 1 || sizeof(T) == 2 || sizeof(T) == 4 || sizeof(T) == 8) using ByteOrderBits =
        std::conditional_t<sizeof(T) == 1, std::uint8_t,
                           std::conditional_t<sizeof(T) == 2, std::uint16_t,
                                              std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>>>;

// `bits` as held in `order` turned into the host's order (and back: the same turn).
template <typename U>
constexpr U ToHostOrder(U bits, std::endian order) {
  if (order == std::endian::native) return bits;
  U turned = 0;
  for (std::size_t i = 0; i < sizeof(U); ++i) {
    turned = static_cast<U>((static_cast<std::uint64_t>(turned) << 8) | (bits & 0xFFu));
    bits = static_cast<U>(static_cast<std::uint64_t>(bits) >> 8);
  }
  return turned;
}

template <typename T>
T ReadOrdered(const void* bytes, std::endian order) {
  ByteOrderBits<T> bits;
  std::memcpy(&bits, bytes, sizeof bits);
  return std::bit_cast<T>(ToHostOrder(bits, order));
}

template <typename T>
void WriteOrdered(void* bytes, T value, std::endian order) {
  const ByteOrderBits<T> bits = ToHostOrder(std::bit_cast<ByteOrderBits<T>>(value), order);
  std::memcpy(bytes, &bits, sizeof bits);
}

template <typename T>
T ReadLittleEndian(const void* bytes) {
  return ReadOrdered<T>(bytes, std::endian::little);
}
template <typename T>
void WriteLittleEndian(void* bytes, T value) {
  WriteOrdered(bytes, value, std::endian::little);
}
template <typename T>
void WriteBigEndian(void* bytes, T value) {
  WriteOrdered(bytes, value, std::endian::big);
}
// A value copied whole from a little-endian file into memory, as the host reads it.
template <typename T>
T FromLittleEndian(T stored) {
  return ReadLittleEndian<T>(&stored);
}
