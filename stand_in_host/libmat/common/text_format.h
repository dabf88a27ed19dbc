// printf-style text for the reasons an examination gives.
#ifndef STAND_IN_HOST_LIBMAT_COMMON_TEXT_FORMAT_H
#define STAND_IN_HOST_LIBMAT_COMMON_TEXT_FORMAT_H

#include <cstdarg>
#include <cstdint>
#include <string>

// The compiler checks the patterns as C99 printf ones (MinGW's own printf
// is another; this library is built with its C99 one there).
#if defined(__MINGW32__)
#define TEXT_FORMAT(pattern, first) __attribute__((format(gnu_printf, pattern, first)))
#else
#define TEXT_FORMAT(pattern, first) __attribute__((format(printf, pattern, first)))
#endif

std::string formatText(const char *pattern, ...) TEXT_FORMAT(1, 2);
std::string formatTextList(const char *pattern, va_list arguments) TEXT_FORMAT(1, 0);

// For printing 64-bit offsets and sizes with %llu and %llx everywhere.
inline unsigned long long ull(uint64_t value) { return static_cast<unsigned long long>(value); }

#endif
