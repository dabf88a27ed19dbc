// libmx's class conversion against call_plugin's long-double conversion:
// every pair of classes over a table of edge values.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "array_builders.h"
#include "mx_array.h"

namespace {

using C = ArrayClass;
const C kClasses[] = {C::Double, C::Single, C::Int8,  C::Uint8,  C::Int16,   C::Uint16,
                      C::Int32,  C::Uint32, C::Int64, C::Uint64, C::Logical, C::Char};

struct Source {
  C cls;
  const char *text;
};

// The value of `text` in class `cls`, as its bytes.
std::vector<unsigned char> valueOf(C cls, const char *text) {
  std::vector<unsigned char> bytes(8);
  auto put = [&](auto value) { std::memcpy(bytes.data(), &value, sizeof value); };
  switch (cls) {
    case C::Double: put(std::strtod(text, nullptr)); break;
    case C::Single: put(std::strtof(text, nullptr)); break;
    case C::Int8: put(static_cast<int8_t>(std::strtoll(text, nullptr, 10))); break;
    case C::Int16: put(static_cast<int16_t>(std::strtoll(text, nullptr, 10))); break;
    case C::Int32: put(static_cast<int32_t>(std::strtoll(text, nullptr, 10))); break;
    case C::Int64: put(static_cast<int64_t>(std::strtoll(text, nullptr, 10))); break;
    case C::Uint8: case C::Logical: put(static_cast<uint8_t>(std::strtoull(text, nullptr, 10))); break;
    case C::Uint16: case C::Char: put(static_cast<uint16_t>(std::strtoull(text, nullptr, 10))); break;
    case C::Uint32: put(static_cast<uint32_t>(std::strtoull(text, nullptr, 10))); break;
    case C::Uint64: put(static_cast<uint64_t>(std::strtoull(text, nullptr, 10))); break;
    default: break;
  }
  bytes.resize(elementSize(cls));
  return bytes;
}

std::string hex(const std::vector<unsigned char> &bytes) {
  std::string text;
  char buffer[4];
  for (unsigned char b : bytes) {
    std::snprintf(buffer, sizeof buffer, "%02x", b);
    text += buffer;
  }
  return text;
}

TEST(ArrayConversion, AgreesWithLongDouble) {
  const Source sources[] = {
      {C::Double, "NaN"}, {C::Double, "Inf"}, {C::Double, "-Inf"}, {C::Double, "0"}, {C::Double, "-0"},
      {C::Double, "0.5"}, {C::Double, "-0.5"}, {C::Double, "1.5"}, {C::Double, "2.5"}, {C::Double, "-2.5"},
      {C::Double, "0.49999999999999994"}, {C::Double, "127.5"}, {C::Double, "-128.5"}, {C::Double, "255.5"},
      {C::Double, "32767.5"}, {C::Double, "-32768.5"}, {C::Double, "65535.5"}, {C::Double, "65535.49999999999"},
      {C::Double, "2147483647.5"}, {C::Double, "-2147483648.5"}, {C::Double, "4294967295.5"},
      {C::Double, "9007199254740993"}, {C::Double, "9223372036854774784"}, {C::Double, "9223372036854775808"},
      {C::Double, "-9223372036854775808"}, {C::Double, "-9223372036854777856"},
      {C::Double, "18446744073709549568"}, {C::Double, "18446744073709551616"}, {C::Double, "-1"},
      {C::Double, "1e300"}, {C::Double, "-1e300"}, {C::Double, "5e-324"},
      {C::Double, "3.4028234663852886e38"}, {C::Double, "3.4028235e38"}, {C::Double, "-3.4028235e38"},
      {C::Double, "3.4028235677973366e38"}, {C::Double, "3.5e38"}, {C::Double, "-3.5e38"},
      {C::Double, "1e-50"}, {C::Double, "16777217"},
      {C::Single, "NaN"}, {C::Single, "Inf"}, {C::Single, "-Inf"}, {C::Single, "-0"}, {C::Single, "2.5"},
      {C::Single, "-2.5"}, {C::Single, "0.1"}, {C::Single, "3.4028235e38"}, {C::Single, "1e-45"},
      {C::Single, "9223372036854775808"}, {C::Single, "18446744073709551616"},
      {C::Single, "-9223372036854775808"}, {C::Single, "4294967296"}, {C::Single, "65535.5"},
      {C::Int8, "-128"}, {C::Int8, "-1"}, {C::Int8, "127"},
      {C::Uint8, "0"}, {C::Uint8, "255"}, {C::Uint8, "128"},
      {C::Int16, "-32768"}, {C::Int16, "32767"}, {C::Int16, "-129"}, {C::Int16, "256"},
      {C::Uint16, "65535"}, {C::Uint16, "32768"},
      {C::Int32, "-2147483648"}, {C::Int32, "2147483647"}, {C::Int32, "16777217"}, {C::Int32, "-65536"},
      {C::Uint32, "4294967295"}, {C::Uint32, "2147483648"},
      {C::Int64, "-9223372036854775808"}, {C::Int64, "9223372036854775807"},
      {C::Int64, "-9223372036854775807"}, {C::Int64, "9007199254740993"}, {C::Int64, "-4294967297"},
      {C::Int64, "9223372036854775295"}, {C::Int64, "16777217"},
      {C::Uint64, "18446744073709551615"}, {C::Uint64, "9223372036854775808"},
      {C::Uint64, "9007199254740993"}, {C::Uint64, "18446744073709550591"}, {C::Uint64, "4294967296"},
      {C::Logical, "0"}, {C::Logical, "1"},
      {C::Char, "0"}, {C::Char, "65"}, {C::Char, "65535"},
  };
  int differences = 0;
  for (const Source &source : sources) {
    std::vector<unsigned char> in = valueOf(source.cls, source.text);
    ArrayPtr from(standin::createNumeric(source.cls, {1, 1}, false));
    std::memcpy(from->real, in.data(), in.size());
    for (C to : kClasses) {
      ArrayPtr old(standin::createNumeric(to, {1, 1}, false));
      builders::setElement(*old, 0, false, builders::elementValue(*from, 0, false));
      std::vector<unsigned char> expected(static_cast<unsigned char *>(old->real),
                                          static_cast<unsigned char *>(old->real) + elementSize(to));
      std::vector<unsigned char> converted(elementSize(to));
      ASSERT_TRUE(standin::convertValues(source.cls, in.data(), to, converted.data(), 1));
      if (converted != expected) {
        ++differences;
        ADD_FAILURE() << className(source.cls) << " " << source.text << " -> " << className(to)
                      << ": long double " << hex(expected) << ", libmx " << hex(converted);
      }
    }
  }
  EXPECT_EQ(differences, 0);
}

}  // namespace
