// printf-style text for the reasons an examination gives.
#ifndef STAND_IN_HOST_LIBMAT_COMMON_TEXT_FORMAT_H
#define STAND_IN_HOST_LIBMAT_COMMON_TEXT_FORMAT_H

#include <cstdarg>
#include <cstdint>
#include <string>

std::string formatText(const char *pattern, ...) __attribute__((format(printf, 1, 2)));
std::string formatTextList(const char *pattern, va_list arguments)
    __attribute__((format(printf, 1, 0)));

// For printing 64-bit offsets and sizes with %llu and %llx everywhere.
inline unsigned long long ull(uint64_t value) { return static_cast<unsigned long long>(value); }

#endif
