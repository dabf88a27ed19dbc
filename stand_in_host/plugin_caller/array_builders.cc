// Making arrays: full, char, cell and struct arrays, copies and reshapes.
#include <cctype>
#include <cstdint>
#include <set>

#include "array_builders.h"
#include "literal_error.h"

namespace builders {

namespace {

constexpr size_t kMaxCount = INT32_MAX;
constexpr size_t kMaxDataBytes = size_t(1) << 31;
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
    throw LiteralError("array of size " + dimsText(dims) + " is too large (more than " +
                       std::to_string(kMaxCount) + " elements)");
  }
}

ArrayPtr makeFull(ArrayClass cls, std::vector<size_t> dims, bool complex) {
  checkDims(dims);
  if (countOf(dims) > kMaxDataBytes / elementSize(cls)) {
    throw LiteralError("array of size " + dimsText(dims) + " needs more than 2 GiB");
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
