// The named calls of the literal syntax: filled arrays, class conversions,
// complex, sparse, reshape, cell and struct.
#include <cmath>
#include <cstring>
#include <map>

#include "array_builders.h"
#include "array_printer.h"
#include "literal_error.h"
#include "literal_syntax.h"

namespace literal {

namespace {

using Arguments = std::vector<Parsed>;

const std::map<std::string, ArrayClass> &conversionClasses() {
  static const std::map<std::string, ArrayClass> classes{
      {"double", ArrayClass::Double}, {"single", ArrayClass::Single},
      {"int8", ArrayClass::Int8},     {"uint8", ArrayClass::Uint8},
      {"int16", ArrayClass::Int16},   {"uint16", ArrayClass::Uint16},
      {"int32", ArrayClass::Int32},   {"uint32", ArrayClass::Uint32},
      {"int64", ArrayClass::Int64},   {"uint64", ArrayClass::Uint64},
      {"logical", ArrayClass::Logical}, {"char", ArrayClass::Char}};
  return classes;
}

std::string charText(const mxArray &array) {
  std::string text;
  size_t count = standin::numberOfElements(array);
  for (size_t i = 0; i < count; ++i) {
    // A code unit (0 to 65535) wraps into a char.
    text += static_cast<char>(static_cast<const uint16_t *>(array.real)[i]);
  }
  return text;
}

bool isCharRow(const mxArray &array) {
  return array.cls == ArrayClass::Char && array.dims.size() == 2 && array.dims[0] <= 1;
}

void requireCount(const std::string &name, const Arguments &arguments, size_t count) {
  if (arguments.size() != count) {
    throw LiteralError(name + " takes " + std::to_string(count) + " argument" + (count == 1 ? "" : "s"));
  }
}

// A dimension as written: an integer, where a negative one counts as 0.
double dimensionFrom(const std::string &name, const mxArray &array, size_t index) {
  double value = builders::realAsDouble(array, index);
  if (value != std::floor(value)) throw LiteralError(name + ": a dimension must be an integer");  // NaN too
  return value < 0 ? 0 : value;
}

// Dimensions as MATLAB's zeros takes them: none (1-by-1), one n (n-by-n),
// one vector, or one scalar each; at most kMaxDimensions of them.
constexpr size_t kMaxDimensions = 64;

std::vector<size_t> dimensionsFrom(const std::string &name, const Arguments &arguments, size_t first) {
  std::vector<double> written;
  for (size_t i = first; i < arguments.size(); ++i) {
    const mxArray &array = *arguments[i].array;
    bool real = builders::isFullNumeric(array) && array.cls != ArrayClass::Char && !array.isComplex;
    size_t count = standin::numberOfElements(array);
    bool vector = arguments.size() - first == 1 && array.dims.size() == 2 && array.dims[0] == 1;
    if (!real || (count != 1 && !vector)) {
      throw LiteralError(name + ": dimensions must be real numbers, one each or one row of them");
    }
    if (count > kMaxDimensions - written.size()) {
      throw LiteralError(name + ": a size has at most " + std::to_string(kMaxDimensions) + " dimensions here");
    }
    for (size_t k = 0; k < count; ++k) written.push_back(dimensionFrom(name, array, k));
  }
  if (written.empty()) written = {1, 1};
  if (written.size() == 1) written.push_back(written[0]);
  std::vector<size_t> dims;
  for (double d : written) {
    if (d > double(builders::kMaxCount)) {
      std::string size;
      for (double each : written) size += (size.empty() ? "" : "x") + formatNumber(each);
      throw LiteralError(name + ": size " + size + " is too large: an array may hold at most 2 GiB of data here, " +
                         "and each dimension at most " + std::to_string(builders::kMaxCount));
    }
    dims.push_back(static_cast<size_t>(d));
  }
  return dims;
}

// The value that zeros, ones, true, false, NaN and Inf fill their arrays with.
bool fillValue(const std::string &name, double &value) {
  static const std::map<std::string, double> values{
      {"zeros", 0}, {"ones", 1}, {"true", 1}, {"false", 0}, {"NaN", NAN}, {"nan", NAN}, {"Inf", INFINITY},
      {"inf", INFINITY}};
  auto found = values.find(name);
  if (found == values.end()) return false;
  value = found->second;
  return true;
}

ArrayPtr filled(const std::string &name, double value, Arguments &arguments) {
  ArrayClass cls = name == "true" || name == "false" ? ArrayClass::Logical : ArrayClass::Double;
  if (cls == ArrayClass::Double && !arguments.empty() && isCharRow(*arguments.back().array)) {
    std::string requested = charText(*arguments.back().array);
    auto found = conversionClasses().find(requested);
    if (found == conversionClasses().end() || !isNumericClass(found->second)) {
      throw LiteralError(name + ": '" + requested + "' is not a numeric class");
    }
    cls = found->second;
    if (std::isnan(value) || std::isinf(value)) {
      if (cls != ArrayClass::Double && cls != ArrayClass::Single) {
        throw LiteralError(name + ": the class must be 'double' or 'single', not '" + requested + "'");
      }
    }
    arguments.pop_back();
  }
  ArrayPtr array = builders::makeFull(cls, dimensionsFrom(name, arguments, 0), false);
  if (value != 0) builders::fill(*array, value);
  return array;
}

ArrayPtr converted(const std::string &name, ArrayClass cls, Arguments &arguments) {
  requireCount(name, arguments, 1);
  const Parsed &argument = arguments[0];
  if (argument.numbers && !argument.numbers->logical) return arrayFromNumbers(*argument.numbers, cls);
  if (argument.array->cls == cls) return std::move(arguments[0].array);
  return builders::convertClass(*argument.array, cls);
}

ArrayPtr reshaped(Arguments &arguments) {
  if (arguments.size() < 2) throw LiteralError("reshape takes an array and its new size");
  std::vector<size_t> dims = dimensionsFrom("reshape", arguments, 1);
  if (arguments.size() == 2 && standin::numberOfElements(*arguments[1].array) < 2) {
    throw LiteralError("reshape: the size needs at least two dimensions");
  }
  builders::reshape(*arguments[0].array, dims);
  return std::move(arguments[0].array);
}

ArrayPtr structure(const Arguments &arguments) {
  if (arguments.size() % 2 != 0) throw LiteralError("struct takes pairs of field name and value");
  std::vector<std::string> names;
  std::vector<ArrayPtr> values;
  for (size_t i = 0; i < arguments.size(); i += 2) {
    if (!isCharRow(*arguments[i].array)) throw LiteralError("struct: a field name must be text");
    names.push_back(charText(*arguments[i].array));
    values.push_back(builders::duplicate(*arguments[i + 1].array));
  }
  return builders::makeStruct(names, values);
}

}  // namespace

ArrayPtr applyCall(const std::string &name, Arguments &arguments) {
  double value = 0;
  if (fillValue(name, value)) return filled(name, value, arguments);
  auto conversion = conversionClasses().find(name);
  if (conversion != conversionClasses().end()) return converted(name, conversion->second, arguments);
  if (name == "complex") {
    requireCount(name, arguments, 2);
    return builders::makeComplex(*arguments[0].array, *arguments[1].array);
  }
  if (name == "sparse") {
    requireCount(name, arguments, 1);
    return builders::sparseFromFull(*arguments[0].array);
  }
  if (name == "reshape") return reshaped(arguments);
  if (name == "cell") return builders::makeEmptyCell(dimensionsFrom(name, arguments, 0));
  if (name == "struct") return structure(arguments);
  throw LiteralError("unknown function '" + name + "'");
}

}  // namespace literal
