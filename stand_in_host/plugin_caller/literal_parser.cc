// The grammar of MATLAB-style literals: numbers, [ ] matrices, { } cells,
// 'text', and named calls (see literal_parser.h).
#include "literal_parser.h"

#include <cctype>
#include <new>

#include "array_builders.h"
#include "literal_error.h"
#include "literal_syntax.h"

namespace literal {

namespace {

constexpr int kMaxDepth = 64;

// One element of a [ ] matrix as written: a number, true or false, or text.
struct Element {
  std::string real, imaginary;
  bool logical = false;
  std::optional<std::string> text;
};

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool startsNumber(char c) { return isDigit(c) || c == '.' || c == '+' || c == '-'; }
bool isImaginaryUnit(const Scanner &in) {
  return (in.peek() == 'i' || in.peek() == 'j') && !isIdentifierChar(in.peek(1));
}

class Parser {
 public:
  explicit Parser(std::string_view text) : in_(text) {}

  ArrayPtr parseWhole() {
    Parsed value = parseValue(0, false);
    in_.skipSpaces();
    if (!in_.atEnd()) in_.fail(std::string("unexpected '") + in_.peek() + "' after the value");
    return std::move(value.array);
  }

 private:
  // inList: inside [ ] or { }, where "1 -2" is two elements but "1 - 2i" and
  // "1-2i" are one.
  Parsed parseValue(int depth, bool inList) {
    if (depth > kMaxDepth) in_.fail("nesting deeper than " + std::to_string(kMaxDepth) + " levels");
    in_.skipSpaces();
    char c = in_.peek();
    if (c == '[') return parseMatrix();
    if (c == '{') return {parseCell(depth), std::nullopt};
    if (c == '\'') return {parseString(), std::nullopt};
    if (c == '"') in_.fail("double-quoted strings are not supported: write 'text'");
    if (std::isalpha(static_cast<unsigned char>(c))) return parseName(depth, inList);
    if (startsNumber(c)) return parseNumberOrRange(inList);
    if (in_.atEnd()) in_.fail("a value is missing");
    in_.fail(std::string("unexpected '") + c + "'");
  }

  Parsed parseName(int depth, bool inList) {
    size_t start = in_.position();
    std::string name = in_.identifier();
    in_.skipSpaces();
    if (in_.peek() == '(') return {parseCall(name, depth), std::nullopt};
    if (name == "true" || name == "false") return fromElements({{logicalElement(name)}});
    if (isNumberWord(name)) {
      in_.rewind(start);
      return parseNumberOrRange(inList);
    }
    in_.rewind(start);
    in_.fail("unknown name '" + name + "'");
  }

  ArrayPtr parseCall(const std::string &name, int depth) {
    in_.expect('(', "'('");
    std::vector<Parsed> arguments;
    in_.skipSpaces();
    if (!in_.accept(')')) {
      do {
        arguments.push_back(parseValue(depth + 1, false));
        in_.skipSpaces();
      } while (in_.accept(','));
      in_.expect(')', "',' or ')'");
    }
    return applyCall(name, arguments);
  }

  // A number, or start:end or start:step:end of real numbers.
  Parsed parseNumberOrRange(bool inList) {
    std::vector<Element> parts{parseNumberElement(inList)};
    size_t end = in_.position();
    in_.skipSpaces();
    while (in_.accept(':')) {
      if (parts.size() == 3) in_.fail("a range has at most three parts (start:step:end)");
      in_.skipSpaces();
      if (!startsNumber(in_.peek()) && !std::isalpha(static_cast<unsigned char>(in_.peek()))) {
        in_.fail("a number is expected after ':'");
      }
      parts.push_back(parseNumberElement(inList));
      end = in_.position();
      in_.skipSpaces();
    }
    in_.rewind(end);
    if (parts.size() == 1) return fromElements({{parts[0]}});
    double values[3];
    for (size_t i = 0; i < parts.size(); ++i) {
      if (!parts[i].imaginary.empty()) throw LiteralError("a range takes real numbers");
      values[i] = numberValue(parts[i].real);
    }
    if (parts.size() == 2) return {builders::makeRange(values[0], 1, values[1]), std::nullopt};
    return {builders::makeRange(values[0], values[1], values[2]), std::nullopt};
  }

  static Element logicalElement(const std::string &name) {
    Element element;
    element.real = name == "true" ? "1" : "0";
    element.logical = true;
    return element;
  }

  // [+-] digits [. digits] [e [+-] digits], or [+-] Inf / NaN.
  std::string parseNumberToken(bool allowSign) {
    size_t start = in_.position();
    if (allowSign && (in_.peek() == '+' || in_.peek() == '-')) in_.advance();
    if (std::isalpha(static_cast<unsigned char>(in_.peek()))) {
      std::string word;
      while (std::isalpha(static_cast<unsigned char>(in_.peek(word.size())))) word += in_.peek(word.size());
      // "Infi" and "NaNj": the unit may follow directly.
      bool unitFollows = word.size() == 4 && (word.back() == 'i' || word.back() == 'j');
      if (unitFollows && (word.compare(0, 3, "Inf") == 0 || word.compare(0, 3, "inf") == 0 ||
                          word.compare(0, 3, "NaN") == 0 || word.compare(0, 3, "nan") == 0)) {
        word.pop_back();
      }
      if (!isNumberWord(word)) in_.fail("a number is expected");
      in_.advance(word.size());
      return std::string(in_.slice(start));
    }
    size_t digits = 0;
    while (isDigit(in_.peek())) in_.advance(), ++digits;
    if (in_.accept('.')) {
      while (isDigit(in_.peek())) in_.advance(), ++digits;
    }
    if (digits == 0) in_.fail("a number is expected");
    if (in_.peek() == 'e' || in_.peek() == 'E') {
      in_.advance();
      if (in_.peek() == '+' || in_.peek() == '-') in_.advance();
      if (!isDigit(in_.peek())) in_.fail("the exponent has no digits");
      while (isDigit(in_.peek())) in_.advance();
    }
    return std::string(in_.slice(start));
  }

  // A real or complex number: 5, -2.5e3, 2i, 1+2i, 1 - 2i (outside lists).
  Element parseNumberElement(bool inList) {
    Element element;
    element.real = parseNumberToken(true);
    if (isImaginaryUnit(in_)) {
      in_.advance();
      element.imaginary = element.real;
      element.real = "0";
      return element;
    }
    size_t afterReal = in_.position();
    bool spaced = in_.skipSpaces();
    char op = in_.peek();
    bool binary = (op == '+' || op == '-') && (!inList || !spaced || isSpace(in_.peek(1)));
    if (!binary) {
      in_.rewind(afterReal);
      return element;
    }
    in_.advance();
    in_.skipSpaces();
    std::string imaginary = parseNumberToken(false);
    if (!isImaginaryUnit(in_)) in_.fail("only an imaginary part (such as 2i) may follow '+' or '-'");
    in_.advance();
    element.imaginary = (op == '-' ? "-" : "") + imaginary;
    return element;
  }

  Parsed parseMatrix() {
    in_.expect('[', "'['");
    std::vector<std::vector<Element>> rows(1);
    for (;;) {
      in_.skipSpaces();
      if (in_.accept(']')) break;
      if (in_.accept(';')) {
        rows.emplace_back();
        continue;
      }
      if (!rows.back().empty() && in_.accept(',')) in_.skipSpaces();
      if (std::isalpha(static_cast<unsigned char>(in_.peek()))) {
        size_t start = in_.position();
        std::string name = in_.identifier();
        if (name == "true" || name == "false") {
          rows.back().push_back(logicalElement(name));
          expectListSeparator(']');
          continue;
        }
        in_.rewind(start);
        if (!isNumberWord(name)) in_.fail("only numbers, true, false and text may stand inside [ ]");
      } else if (in_.peek() == '\'') {
        Element element;
        element.text = readQuoted();
        rows.back().push_back(std::move(element));
        expectListSeparator(']');
        continue;
      } else if (!startsNumber(in_.peek())) {
        if (in_.atEnd()) in_.fail("']' is missing");
        in_.fail(std::string("unexpected '") + in_.peek() + "' inside [ ]");
      }
      rows.back().push_back(parseNumberElement(true));
      expectListSeparator(']');
    }
    return fromElements(std::move(rows));
  }

  void expectListSeparator(char close) {
    char c = in_.peek();
    if (isSpace(c) || c == ',' || c == ';' || c == close) return;
    if (c == ':' && close == ']') in_.fail("a range cannot stand inside [ ]: write it alone, as 1:5");
    if (in_.atEnd()) in_.fail(std::string("'") + close + "' is missing");
    in_.fail(std::string("expected ',', ';' or '") + close + "' but found '" + c + "'");
  }

  // Rows of text elements, each row's texts joined; rows without text left out.
  static ArrayPtr charMatrixFrom(const std::vector<std::vector<Element>> &rows) {
    std::vector<std::string> texts;
    for (const auto &row : rows) {
      std::string joined;
      for (const Element &element : row) {
        if (!element.text) throw LiteralError("[ ] holds either numbers or text, not both");
        joined += *element.text;
      }
      if (!joined.empty()) texts.push_back(std::move(joined));
    }
    return builders::makeCharMatrix(texts);
  }

  Parsed fromElements(std::vector<std::vector<Element>> rows) {
    for (const auto &row : rows) {
      for (const Element &element : row) {
        if (element.text) return {charMatrixFrom(rows), std::nullopt};
      }
    }
    std::vector<std::vector<Element>> kept;
    for (auto &row : rows) {
      if (!row.empty()) kept.push_back(std::move(row));
    }
    NumberMatrix numbers;
    numbers.rows = kept.size();
    numbers.columns = kept.empty() ? 0 : kept[0].size();
    bool complex = false;
    numbers.logical = !kept.empty();
    for (const auto &row : kept) {
      if (row.size() != numbers.columns) {
        throw LiteralError("the rows of [ ] differ in length (" + std::to_string(numbers.columns) +
                           " and " + std::to_string(row.size()) + ")");
      }
      for (const Element &element : row) {
        complex = complex || !element.imaginary.empty();
        numbers.logical = numbers.logical && element.logical;
      }
    }
    for (const auto &row : kept) {
      for (const Element &element : row) {
        numbers.real.push_back(element.real);
        if (complex) numbers.imaginary.push_back(element.imaginary.empty() ? "0" : element.imaginary);
      }
    }
    Parsed parsed;
    parsed.array = arrayFromNumbers(numbers, numbers.logical ? ArrayClass::Logical : ArrayClass::Double);
    parsed.numbers = std::move(numbers);
    return parsed;
  }

  ArrayPtr parseCell(int depth) {
    in_.expect('{', "'{'");
    std::vector<std::vector<ArrayPtr>> rows(1);
    for (;;) {
      in_.skipSpaces();
      if (in_.accept('}')) break;
      if (in_.accept(';')) {
        rows.emplace_back();
        continue;
      }
      if (!rows.back().empty() && in_.accept(',')) in_.skipSpaces();
      if (in_.atEnd()) in_.fail("'}' is missing");
      rows.back().push_back(parseValue(depth + 1, true).array);
      expectListSeparator('}');
    }
    return cellFromRows(std::move(rows));
  }

  static ArrayPtr cellFromRows(std::vector<std::vector<ArrayPtr>> rows) {
    std::vector<std::vector<ArrayPtr>> kept;
    for (auto &row : rows) {
      if (!row.empty()) kept.push_back(std::move(row));
    }
    size_t columns = kept.empty() ? 0 : kept[0].size();
    std::vector<ArrayPtr> elements;
    for (size_t column = 0; column < columns; ++column) {
      for (auto &row : kept) {
        if (row.size() != columns) {
          throw LiteralError("the rows of { } differ in length (" + std::to_string(columns) + " and " +
                             std::to_string(row.size()) + ")");
        }
        elements.push_back(std::move(row[column]));
      }
    }
    return builders::makeCell({kept.size(), columns}, std::move(elements));
  }

  ArrayPtr parseString() { return builders::makeCharRow(readQuoted()); }

  // 'text' with '' for a quote inside; the text between the quotes.
  std::string readQuoted() {
    in_.expect('\'', "'");
    std::string value;
    for (;;) {
      if (in_.atEnd()) in_.fail("the closing ' is missing");
      char c = in_.peek();
      in_.advance();
      if (c == '\'') {
        if (!in_.accept('\'')) break;
      }
      value += c;
    }
    return value;
  }

  Scanner in_;
};

}  // namespace

}  // namespace literal

mxArray *parseLiteral(std::string_view text, std::string &error) {
  try {
    literal::Parser parser(text);
    return parser.parseWhole().release();
  } catch (const LiteralError &failure) {
    error = failure.what();
  } catch (const std::bad_alloc &) {
    error = "not enough memory for this literal";
  }
  return nullptr;
}
