// Making arrays: full, char, cell and struct arrays, copies and reshapes.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <limits>
#include <set>

#include "array_builders.h"
#include "array_printer.h"
#include "literal_error.h"

namespace builders {

namespace {

// Each element of a cell or struct array is an array of its own.
constexpr size_t kMaxContainerCount = size_t(1) << 20;

size_t countOf(const std::vector<size_t> &dims) {
  size_t count = 0;
  standin::countElements(dims, count);
  return count;
}

void checkContainerCount(const std::vector<size_t> &dims) {
  checkDims(dims);
  if (countOf(dims) > kMaxContainerCount) {
    throw LiteralError("a cell or struct array holds at most " + std::to_string(kMaxContainerCount) +
                       " elements here");
  }
}

std::string dimsText(const std::vector<size_t> &dims) {
  std::string text;
  for (size_t d : dims) text += (text.empty() ? "" : "x") + std::to_string(d);
  return text;
}

bool isValidFieldName(const std::string &name) {
  if (name.empty() || name.size() > 63 || !std::isalpha(static_cast<unsigned char>(name[0]))) {
    return false;
  }
  for (char c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
  }
  return true;
}

// The size a struct array takes from its values: that of the cell values of
// more than one element, which must agree; 1-by-1 otherwise.
std::vector<size_t> structDims(const std::vector<ArrayPtr> &values) {
  const mxArray *sizer = nullptr;
  for (const ArrayPtr &value : values) {
    if (value->cls != ArrayClass::Cell || value->children.size() == 1) continue;
    if (sizer != nullptr && sizer->dims != value->dims) {
      throw LiteralError("struct: cell values differ in size (" + dimsText(sizer->dims) + " and " +
                         dimsText(value->dims) + ")");
    }
    sizer = value.get();
  }
  return sizer != nullptr ? sizer->dims : std::vector<size_t>{1, 1};
}

const mxArray &fieldValueFor(const mxArray &value, size_t element) {
  if (value.cls != ArrayClass::Cell) return value;
  return *value.children[value.children.size() == 1 ? 0 : element];
}

}  // namespace

void checkDims(const std::vector<size_t> &dims) {
  size_t count = 0;
  bool fits = standin::countElements(dims, count) && count <= kMaxCount;
  for (size_t d : dims) fits = fits && d <= kMaxCount;
  if (!fits) {
    throw LiteralError("array of size " + dimsText(dims) + " is too large: an array holds at most " +
                       std::to_string(kMaxCount) + " elements here");
  }
}

ArrayPtr makeFull(ArrayClass cls, std::vector<size_t> dims, bool complex) {
  checkDims(dims);
  if (countOf(dims) > kMaxDataBytes / elementSize(cls)) {
    throw LiteralError("array of size " + dimsText(dims) +
                       " is too large: its data would take more than the 2 GiB an array may hold here");
  }
  return ArrayPtr(standin::createNumeric(cls, std::move(dims), complex));
}

ArrayPtr makeCharRow(std::string_view text) {
  std::vector<size_t> dims{text.empty() ? size_t(0) : size_t(1), text.size()};
  ArrayPtr array = makeFull(ArrayClass::Char, dims, false);
  auto *codes = static_cast<uint16_t *>(array->real);
  for (size_t i = 0; i < text.size(); ++i) codes[i] = static_cast<unsigned char>(text[i]);
  return array;
}

ArrayPtr makeCharMatrix(const std::vector<std::string> &rows) {
  size_t columns = rows.empty() ? 0 : rows[0].size();
  for (const std::string &row : rows) {
    if (row.size() != columns) {
      throw LiteralError("the rows of a char matrix differ in length (" + std::to_string(columns) +
                         " and " + std::to_string(row.size()) + ")");
    }
  }
  ArrayPtr array = makeFull(ArrayClass::Char, {rows.size(), columns}, false);
  auto *codes = static_cast<uint16_t *>(array->real);
  for (size_t row = 0; row < rows.size(); ++row) {
    for (size_t column = 0; column < columns; ++column) {
      codes[column * rows.size() + row] = static_cast<unsigned char>(rows[row][column]);
    }
  }
  return array;
}

// The number of steps n (elements - 1) follows MATLAB's colon: for integer
// ends and steps an exact count, else round((end - start) / step), one
// fewer if that step lands beyond the end by more than a rounding error.
// The last element is the end itself when it lies within that error of it,
// never beyond it; the first half of the elements counts up from the start
// and the second half down from the last, so that rounding errors do not
// pile up towards either end.
ArrayPtr makeRange(double start, double step, double end) {
  if (std::isnan(start) || std::isnan(step) || std::isnan(end)) {
    ArrayPtr nan = makeFull(ArrayClass::Double, {1, 1}, false);
    fill(*nan, std::numeric_limits<double>::quiet_NaN());
    return nan;
  }
  if (step == 0 || (start < end && step < 0) || (start > end && step > 0)) {
    return makeFull(ArrayClass::Double, {1, 0}, false);
  }
  double tolerance = 2.0 * std::numeric_limits<double>::epsilon() * std::max(std::fabs(start), std::fabs(end));
  double sign = step > 0 ? 1 : -1;
  double steps = 0;
  if (std::isinf(step)) {
    steps = 0;  // one element, the start
  } else if (start == std::floor(start) && step == 1) {
    steps = std::floor(end) - start;
  } else if (start == std::floor(start) && step == std::floor(step)) {
    double quotient = std::floor(start / step);
    double remainder = start - quotient * step;
    steps = std::floor((end - remainder) / step) - quotient;
  } else {
    steps = std::round((end - start) / step);
    if (sign * (start + steps * step - end) > tolerance) steps -= 1;
  }
  if (!(steps < double(kMaxCount))) {  // also NaN and Inf, from an infinite start or end
    throw LiteralError("range " + formatNumber(start) + ":" + formatNumber(step) + ":" + formatNumber(end) +
                       " is too large: its data would take more than the 2 GiB an array may hold here");
  }
  size_t n = static_cast<size_t>(steps);
  ArrayPtr array = makeFull(ArrayClass::Double, {1, n + 1}, false);
  double last = n == 0 ? start : start + steps * step;
  if (sign * (last - end) > -tolerance) last = end;
  auto *values = static_cast<double *>(array->real);
  for (size_t k = 0; k <= n / 2; ++k) {
    values[k] = k == 0 ? start : start + double(k) * step;
    values[n - k] = k == 0 ? last : last - double(k) * step;
  }
  if (n % 2 == 0) {
    double sum = start + last;  // halved apart where the sum would overflow
    values[n / 2] = std::isinf(sum) ? start / 2 + last / 2 : sum / 2;
  }
  return array;
}

ArrayPtr makeCell(std::vector<size_t> dims, std::vector<ArrayPtr> elements) {
  checkContainerCount(dims);
  ArrayPtr cell(standin::createCell(std::move(dims)));
  if (elements.size() != countOf(cell->dims)) throw LiteralError("cell: wrong number of elements");
  for (ArrayPtr &element : elements) cell->children.push_back(element.release());
  return cell;
}

ArrayPtr makeEmptyCell(std::vector<size_t> dims) {
  checkContainerCount(dims);
  std::vector<ArrayPtr> elements;
  for (size_t i = countOf(dims); i > 0; --i) elements.push_back(makeFull(ArrayClass::Double, {0, 0}, false));
  return makeCell(std::move(dims), std::move(elements));
}

ArrayPtr makeStruct(const std::vector<std::string> &names, const std::vector<ArrayPtr> &values) {
  std::set<std::string> seen;
  for (const std::string &name : names) {
    if (!isValidFieldName(name)) throw LiteralError("struct: '" + name + "' is not a valid field name");
    if (!seen.insert(name).second) throw LiteralError("struct: field '" + name + "' given twice");
  }
  std::vector<size_t> dims = structDims(values);
  checkContainerCount(dims);
  ArrayPtr result(standin::createStruct(dims, names));
  size_t count = countOf(dims);
  for (size_t element = 0; element < count; ++element) {
    for (const ArrayPtr &value : values) {
      result->children.push_back(duplicate(fieldValueFor(*value, element)).release());
    }
  }
  return result;
}

void reshape(mxArray &array, std::vector<size_t> dims) {
  standin::normalizeDims(dims);
  checkDims(dims);
  if (countOf(dims) != standin::numberOfElements(array)) {
    throw LiteralError("reshape: size " + dimsText(dims) + " does not hold the " +
                       std::to_string(standin::numberOfElements(array)) + " elements");
  }
  if (array.isSparse && dims.size() > 2) throw LiteralError("reshape: a sparse array has two dimensions");
  if (array.isSparse && dims != array.dims) throw LiteralError("reshape: sparse arrays are not reshaped");
  array.dims = std::move(dims);
}

ArrayPtr duplicate(const mxArray &array) { return ArrayPtr(standin::duplicateArray(array)); }

}  // namespace builders
