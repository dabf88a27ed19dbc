// Arithmetic on sizes read from a file, which may be anything: each
// operation reports overflow instead of wrapping around.
#ifndef STAND_IN_HOST_LIBMAT_COMMON_CHECKED_ARITHMETIC_H
#define STAND_IN_HOST_LIBMAT_COMMON_CHECKED_ARITHMETIC_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace checked {

// a * b into `result`; false (result unspecified) if it does not fit.
template <typename T, typename A, typename B>
bool multiply(A a, B b, T &result) {
  return !__builtin_mul_overflow(a, b, &result);
}

// a + b into `result`; false if it does not fit.
template <typename T, typename A, typename B>
bool add(A a, B b, T &result) {
  return !__builtin_add_overflow(a, b, &result);
}

// The product of `values` into `result`; false if it does not fit T.
template <typename T, typename V>
bool product(const std::vector<V> &values, T &result) {
  T total = 1;
  for (V value : values) {
    if (__builtin_mul_overflow(total, value, &total)) return false;
  }
  result = total;
  return true;
}

}  // namespace checked

#endif
