// Inside the literal parser: the scanner over the text, numbers as written,
// and the named calls (zeros, int8, struct, ...). Not for other users.
#ifndef STAND_IN_HOST_PLUGIN_CALLER_LITERAL_SYNTAX_H
#define STAND_IN_HOST_PLUGIN_CALLER_LITERAL_SYNTAX_H

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "array_ptr.h"
#include "mx_array.h"

namespace literal {

// Reads the text one character at a time; every failure names its column.
class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text) {}
  bool atEnd() const { return position_ >= text_.size(); }
  char peek(size_t ahead = 0) const {
    return position_ + ahead < text_.size() ? text_[position_ + ahead] : '\0';
  }
  void advance(size_t count = 1) { position_ += count; }
  size_t position() const { return position_; }
  void rewind(size_t position) { position_ = position; }
  std::string_view slice(size_t start) const { return text_.substr(start, position_ - start); }
  bool skipSpaces();  // true if any were skipped
  bool accept(char c);
  void expect(char c, const char *what);
  std::string identifier();  // letters, digits and '_' from a letter on; may be empty
  [[noreturn]] void fail(const std::string &what) const;

 private:
  std::string_view text_;
  size_t position_ = 0;
};

bool isIdentifierChar(char c);

// Numbers as written, so that each class converts them from their text:
// double and single round once, the 64-bit integer classes stay exact. A
// number may also be written as one of the words of isNumberWord.
struct NumberMatrix {
  size_t rows = 0, columns = 0;
  std::vector<std::string> real, imaginary;  // row by row; imaginary empty if real
  bool logical = false;                      // every element written as true or false
};

// A parsed value; `numbers` is kept when it was written as numbers.
struct Parsed {
  ArrayPtr array;
  std::optional<NumberMatrix> numbers;
};

ArrayPtr arrayFromNumbers(const NumberMatrix &numbers, ArrayClass cls);

// True for the words a number may be written as: Inf, inf, NaN, nan, pi, eps.
bool isNumberWord(std::string_view word);
// The double a number as written reads as ([+-] and digits, or a word).
double numberValue(const std::string &text);

// Applies the named call to its arguments; throws LiteralError for an
// unknown name or unfit arguments.
ArrayPtr applyCall(const std::string &name, std::vector<Parsed> &arguments);

}  // namespace literal

#endif
