// Numbers in a file's byte order: swapping and loading them. MAT-files are
// written in either order; every reader goes through these.
#ifndef STAND_IN_HOST_LIBMAT_COMMON_BYTE_ORDER_H
#define STAND_IN_HOST_LIBMAT_COMMON_BYTE_ORDER_H

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace byte_order {

inline bool hostIsBigEndian() {
  const uint16_t probe = 1;
  unsigned char first;
  std::memcpy(&first, &probe, 1);
  return first == 0;
}

inline uint16_t swapped(uint16_t value) { return __builtin_bswap16(value); }
inline uint32_t swapped(uint32_t value) { return __builtin_bswap32(value); }
inline uint64_t swapped(uint64_t value) { return __builtin_bswap64(value); }

// Reverses the bytes of each of `count` values of `size` bytes in place
// (sizes 2, 4 and 8; 1 and anything else are left as they are).
void swapEach(void *data, size_t count, size_t size);

// The unsigned number of `Word`'s size at `bytes`, swapped when `swap`.
template <typename Word>
Word load(const unsigned char *bytes, bool swap) {
  Word value;
  std::memcpy(&value, bytes, sizeof value);
  return swap ? swapped(value) : value;
}

}  // namespace byte_order

#endif
