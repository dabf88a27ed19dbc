// Writes arrays as literals (see array_printer.h).
#include "array_printer.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <functional>

#include "array_builders.h"

namespace {

using ElementText = std::function<std::string(size_t)>;
using Wrap = std::function<std::string(const std::string &)>;

std::string unwrapped(const std::string &text) { return text; }

std::string dimsList(const std::vector<size_t> &dims, const char *separator) {
  std::string text;
  for (size_t i = 0; i < dims.size(); ++i) text += (i == 0 ? "" : separator) + std::to_string(dims[i]);
  return text;
}

template <typename T>
std::string shortestText(T value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-Inf" : "Inf";
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

template <typename T>
T valueAt(const void *data, size_t index) {
  return static_cast<const T *>(data)[index];
}

// Integers of every class print exactly: each converts without loss to
// int64 (the signed classes) or uint64 (the others).
std::string integerText(ArrayClass cls, const void *data, size_t index) {
  const unsigned char *element = static_cast<const unsigned char *>(data) + index * elementSize(cls);
  bool isSigned = cls == ArrayClass::Int8 || cls == ArrayClass::Int16 || cls == ArrayClass::Int32 ||
                  cls == ArrayClass::Int64;
  if (isSigned) {
    int64_t value = 0;
    standin::convertValues(cls, element, ArrayClass::Int64, &value, 1);
    return std::to_string(value);
  }
  uint64_t value = 0;
  standin::convertValues(cls, element, ArrayClass::Uint64, &value, 1);
  return std::to_string(value);
}

std::string numberText(const mxArray &array, size_t index, bool imaginary) {
  const void *data = imaginary ? array.imag : array.real;
  if (array.cls == ArrayClass::Double) return shortestText(valueAt<double>(data, index));
  if (array.cls == ArrayClass::Single) return shortestText(valueAt<float>(data, index));
  return integerText(array.cls, data, index);
}

// Lays elements out as [a b; c d], or as the empty and N-d forms, with the
// given brackets, separator and the call that makes an empty array. `wrap`
// turns a two-dimensional layout into the final class, inside any reshape.
std::string formatGrid(const std::vector<size_t> &dims, const ElementText &element, const char *open,
                       const char *close, const char *separator, const char *emptyCall,
                       const Wrap &wrap = unwrapped) {
  size_t count = 0;
  standin::countElements(dims, count);
  if (count == 0) {
    if (dims.size() == 2 && dims[0] == 0 && dims[1] == 0) return wrap(std::string(open) + close);
    return wrap(std::string(emptyCall) + "(" + dimsList(dims, ",") + ")");
  }
  if (dims.size() > 2) {
    std::string text = open;
    for (size_t i = 0; i < count; ++i) text += (i == 0 ? "" : separator) + element(i);
    return "reshape(" + wrap(text + close) + ", [" + dimsList(dims, " ") + "])";
  }
  std::string text = open;
  for (size_t row = 0; row < dims[0]; ++row) {
    for (size_t column = 0; column < dims[1]; ++column) {
      text += (column == 0 ? "" : separator) + element(column * dims[0] + row);
    }
    if (row + 1 < dims[0]) text += "; ";
  }
  return wrap(text + close);
}

std::string wrapInClass(const mxArray &array, const std::string &text) {
  return array.cls == ArrayClass::Double ? text : std::string(className(array.cls)) + "(" + text + ")";
}

// The numbers of one part, in the array's class.
std::string formatNumbers(const mxArray &array, bool imaginary) {
  ElementText element = [&](size_t i) { return numberText(array, i, imaginary); };
  Wrap wrap = [&](const std::string &text) { return wrapInClass(array, text); };
  if (standin::numberOfElements(array) == 1 && array.dims.size() == 2) return wrap(element(0));
  return formatGrid(array.dims, element, "[", "]", " ", "zeros", wrap);
}

// 'text' for a row of printable characters (and for 0-by-0), else empty.
std::string quotedText(const mxArray &array) {
  bool row = array.dims.size() == 2 && array.dims[0] == 1 && array.dims[1] > 0;
  bool empty = array.dims.size() == 2 && array.dims[0] == 0 && array.dims[1] == 0;
  if (!row && !empty) return "";
  std::string text = "'";
  for (size_t i = 0; i < standin::numberOfElements(array); ++i) {
    uint16_t code = valueAt<uint16_t>(array.real, i);
    if (code < 32 || code > 126) return "";
    text += static_cast<char>(code);
    if (code == '\'') text += '\'';
  }
  return text + "'";
}

std::string formatFull(const mxArray &array) {
  if (array.cls == ArrayClass::Char) {
    std::string quoted = quotedText(array);
    if (!quoted.empty()) return quoted;
  }
  if (array.cls == ArrayClass::Logical && standin::numberOfElements(array) == 1 && array.dims.size() == 2) {
    return valueAt<uint8_t>(array.real, 0) != 0 ? "true" : "false";
  }
  if (array.isComplex) {
    return "complex(" + formatNumbers(array, false) + ", " + formatNumbers(array, true) + ")";
  }
  return formatNumbers(array, false);
}

std::string formatCell(const mxArray &array) {
  ElementText element = [&](size_t i) { return formatArray(*array.children[i]); };
  return formatGrid(array.dims, element, "{", "}", ", ", "cell");
}

std::string quoted(const std::string &name) { return "'" + name + "'"; }

std::string formatStruct(const mxArray &array) {
  size_t count = standin::numberOfElements(array);
  size_t fields = array.fieldNames.size();
  bool single = count == 1 && array.dims.size() == 2;
  if (fields == 0) return single ? "struct()" : "<" + dimsList(array.dims, "x") + " struct array with no fields>";
  std::string text = "struct(";
  for (size_t field = 0; field < fields; ++field) {
    text += (field == 0 ? "" : ", ") + quoted(array.fieldNames[field]) + ", ";
    if (single) {
      const mxArray &value = *array.children[field];
      text += value.cls == ArrayClass::Cell ? "{" + formatArray(value) + "}" : formatArray(value);
      continue;
    }
    ElementText element = [&](size_t i) { return formatArray(*array.children[i * fields + field]); };
    text += formatGrid(array.dims, element, "{", "}", ", ", "cell");
  }
  return text + ")";
}

}  // namespace

std::string formatArray(const mxArray &array) {
  bool container = array.cls == ArrayClass::Cell || array.cls == ArrayClass::Struct;
  size_t perElement = array.cls == ArrayClass::Struct ? array.fieldNames.size() : 1;
  if (container && array.children.size() != standin::numberOfElements(array) * perElement) {
    return "<" + dimsList(array.dims, "x") + " " + className(array.cls) + " without its elements>";
  }
  if (!array.hasData) return "<" + dimsList(array.dims, "x") + " " + className(array.cls) + " without data>";
  if (array.isSparse) return "sparse(" + formatFull(*builders::fullFromSparse(array)) + ")";
  if (array.cls == ArrayClass::Cell) return formatCell(array);
  if (array.cls == ArrayClass::Struct) return formatStruct(array);
  if (builders::isFullNumeric(array)) return formatFull(array);
  return "<" + dimsList(array.dims, "x") + " " + className(array.cls) + ">";
}

std::string formatNumber(double value) { return shortestText(value); }
