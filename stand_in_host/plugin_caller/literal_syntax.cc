// The scanner of the literal parser, and arrays made from numbers as written.
#include "literal_syntax.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "array_builders.h"
#include "literal_error.h"

namespace literal {

bool isIdentifierChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

bool Scanner::skipSpaces() {
  size_t start = position_;
  while (!atEnd() && (peek() == ' ' || peek() == '\t' || peek() == '\n' || peek() == '\r')) {
    ++position_;
  }
  return position_ != start;
}

bool Scanner::accept(char c) {
  if (atEnd() || peek() != c) return false;
  ++position_;
  return true;
}

void Scanner::expect(char c, const char *what) {
  if (accept(c)) return;
  if (atEnd()) fail(std::string(what) + " is missing");
  fail(std::string("expected ") + what + " but found '" + peek() + "'");
}

std::string Scanner::identifier() {
  size_t start = position_;
  if (std::isalpha(static_cast<unsigned char>(peek()))) {
    while (!atEnd() && isIdentifierChar(peek())) ++position_;
  }
  return std::string(text_.substr(start, position_ - start));
}

void Scanner::fail(const std::string &what) const {
  throw LiteralError(what + " at column " + std::to_string(position_ + 1));
}

namespace {

// The integer a decimal number as written rounds to, half away from zero:
// its sign and magnitude, which saturates at 2^64 - 1 (beyond every integer
// class). Exact for any number of digits. False for text that is not
// [+-] digits [. digits] [e [+-] digits] (Inf, NaN).
bool roundDecimal(const std::string &text, bool &negative, uint64_t &magnitude) {
  size_t at = 0;
  negative = at < text.size() && text[at] == '-';
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
  std::string digits;  // all digits written, the point left out
  long long pointAt = -1;
  for (; at < text.size(); ++at) {
    char c = text[at];
    if (c >= '0' && c <= '9') {
      digits += c;
    } else if (c == '.' && pointAt < 0) {
      pointAt = static_cast<long long>(digits.size());
    } else {
      break;
    }
  }
  if (digits.empty()) return false;
  long long integerDigits = pointAt < 0 ? static_cast<long long>(digits.size()) : pointAt;
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    ++at;
    bool negativeExponent = at < text.size() && text[at] == '-';
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
    long long exponent = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
      exponent = std::min(exponent * 10 + (text[at] - '0'), 1000000LL);  // far beyond 2^64 or 0.5
    }
    integerDigits += negativeExponent ? -exponent : exponent;
  }
  if (at != text.size()) return false;
  // Without leading zeros the magnitude saturates within 21 digits.
  size_t leadingZeros = std::min(digits.find_first_not_of('0'), digits.size());
  digits.erase(0, leadingZeros);
  integerDigits -= static_cast<long long>(leadingZeros);
  magnitude = 0;
  bool saturated = false;
  for (long long k = 0; k < integerDigits && !saturated; ++k) {
    unsigned digit = k < static_cast<long long>(digits.size()) ? unsigned(digits[k] - '0') : 0;
    saturated = magnitude > (UINT64_MAX - digit) / 10;
    magnitude = saturated ? UINT64_MAX : magnitude * 10 + digit;
  }
  bool roundsUp = integerDigits >= 0 && integerDigits < static_cast<long long>(digits.size()) &&
                  digits[integerDigits] >= '5';
  if (roundsUp && magnitude != UINT64_MAX) ++magnitude;
  return true;
}

// pi and eps (with a sign) as written, else false.
bool namedConstant(const std::string &text, double &value) {
  bool negative = !text.empty() && text[0] == '-';
  std::string_view word(text);
  if (!word.empty() && (word[0] == '-' || word[0] == '+')) word.remove_prefix(1);
  if (word == "pi") {
    value = 3.14159265358979323846264338327950288;
  } else if (word == "eps") {
    value = std::numeric_limits<double>::epsilon();
  } else {
    return false;
  }
  if (negative) value = -value;
  return true;
}

// Double and single are read straight from the text, to round only once.
// The integer classes and char take the integer the text rounds to, exactly
// (then saturated by libmx's conversion); Inf, NaN and logical go through
// the double the text reads as.
void storeNumber(mxArray &array, size_t index, bool imaginary, const std::string &text) {
  unsigned char *element = static_cast<unsigned char *>(imaginary ? array.imag : array.real) +
                           index * elementSize(array.cls);
  double constant = 0;
  if (namedConstant(text, constant)) {
    standin::convertValues(ArrayClass::Double, &constant, array.cls, element, 1);
    return;
  }
  if (array.cls == ArrayClass::Double) {
    double value = std::strtod(text.c_str(), nullptr);
    std::memcpy(element, &value, sizeof value);
    return;
  }
  if (array.cls == ArrayClass::Single) {
    float value = std::strtof(text.c_str(), nullptr);
    std::memcpy(element, &value, sizeof value);
    return;
  }
  bool negative = false;
  uint64_t magnitude = 0;
  if (array.cls != ArrayClass::Logical && roundDecimal(text, negative, magnitude)) {
    if (!negative) {
      standin::convertValues(ArrayClass::Uint64, &magnitude, array.cls, element, 1);
      return;
    }
    constexpr uint64_t kMinMagnitude = uint64_t(1) << 63;  // INT64_MIN's
    int64_t value = magnitude >= kMinMagnitude ? INT64_MIN : -static_cast<int64_t>(magnitude);
    standin::convertValues(ArrayClass::Int64, &value, array.cls, element, 1);
    return;
  }
  double value = numberValue(text);
  if (array.cls == ArrayClass::Logical && std::isnan(value)) {
    throw LiteralError("logical: NaN cannot be converted");
  }
  standin::convertValues(ArrayClass::Double, &value, array.cls, element, 1);
}

}  // namespace

bool isNumberWord(std::string_view word) {
  return word == "Inf" || word == "inf" || word == "NaN" || word == "nan" || word == "pi" || word == "eps";
}

double numberValue(const std::string &text) {
  double value = 0;
  return namedConstant(text, value) ? value : std::strtod(text.c_str(), nullptr);
}

ArrayPtr arrayFromNumbers(const NumberMatrix &numbers, ArrayClass cls) {
  bool complex = !numbers.imaginary.empty();
  if (complex && (cls == ArrayClass::Logical || cls == ArrayClass::Char)) {
    throw LiteralError(std::string(className(cls)) + ": complex values cannot be converted");
  }
  ArrayPtr array = builders::makeFull(cls, {numbers.rows, numbers.columns}, complex);
  for (size_t row = 0; row < numbers.rows; ++row) {
    for (size_t column = 0; column < numbers.columns; ++column) {
      size_t written = row * numbers.columns + column;  // row by row
      size_t stored = column * numbers.rows + row;      // column-major
      storeNumber(*array, stored, false, numbers.real[written]);
      if (complex) storeNumber(*array, stored, true, numbers.imaginary[written]);
    }
  }
  return array;
}

}  // namespace literal
