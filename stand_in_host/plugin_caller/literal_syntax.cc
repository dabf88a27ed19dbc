// The scanner of the literal parser, and arrays made from numbers as written.
#include "literal_syntax.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

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

// Double and single are read straight from the text, to round only once;
// the other classes through long double, which holds every 64-bit integer.
void storeNumber(mxArray &array, size_t index, bool imaginary, const std::string &text) {
  void *data = imaginary ? array.imag : array.real;
  if (array.cls == ArrayClass::Double) {
    static_cast<double *>(data)[index] = std::strtod(text.c_str(), nullptr);
  } else if (array.cls == ArrayClass::Single) {
    static_cast<float *>(data)[index] = std::strtof(text.c_str(), nullptr);
  } else {
    long double value = std::strtold(text.c_str(), nullptr);
    if (array.cls == ArrayClass::Logical && std::isnan(value)) {
      throw LiteralError("logical: NaN cannot be converted");
    }
    builders::setElement(array, index, imaginary, value);
  }
}

}  // namespace

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
