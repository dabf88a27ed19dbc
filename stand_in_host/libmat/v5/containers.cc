#include "v5/containers.h"

#include <cstring>

#include "common/checked_arithmetic.h"
#include "common/byte_order.h"
#include "v5/array.h"
#include "v5/stored_types.h"
#include "v5/values.h"

namespace mat_v5 {

namespace {

// One element of a cell or one field of a struct element. An empty
// miMATRIX element stands for an empty 0x0 double array.
ArrayPtr readNestedMatrix(Span &parent, int depth) {
  Tag tag;
  if (!readTag(parent, tag)) return nullptr;
  if (tag.type != kMatrix || tag.small) {
    fault(parent, "an element of a cell or struct stored as element type %u, not as an array",
          tag.type);
    return nullptr;
  }
  if (tag.nbytes == 0) return ArrayPtr(standin::createNumeric(ArrayClass::Double, {0, 0}, false));
  Span child = enterElement(parent, tag);
  ArrayPtr array = readMatrix(child, true, depth);
  if (!array || !leaveElement(child, tag, false)) return nullptr;
  return array;
}

// Reads `count` nested arrays into `array.children`. Each takes at least
// an 8-byte tag, so a count the element cannot hold fails before anything
// is allocated for it.
// When examining, each child is checked and dropped.
bool readChildren(Span &body, mxArray &array, size_t count, int depth) {
  if (count > body.left / 8) {
    return fault(body, "%zu nested arrays cannot fit in the %llu bytes left", count,
                 static_cast<unsigned long long>(body.left));
  }
  bool keep = body.check == nullptr;
  if (keep) array.children.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    ArrayPtr child = readNestedMatrix(body, depth + 1);
    if (!child) return false;
    if (keep) array.children.push_back(child.release());
  }
  return true;
}

bool readFieldNameLength(Span &body, uint32_t &length) {
  Tag tag;
  if (!readTag(body, tag)) return false;
  if ((tag.type != kInt32 && tag.type != kUint32) || tag.nbytes != 4) {
    return fault(body, "the field name length stored as %u bytes of element type %u", tag.nbytes,
                 tag.type);
  }
  if (!readBody(body, tag, &length)) return false;
  if (body.swapBytes) byte_order::swapEach(&length, 1, 4);
  return true;
}

// The field names: one element of fixed-length, NUL-padded names.
bool readFieldNames(Span &body, std::vector<std::string> &names) {
  uint32_t length = 0;
  Tag tag;
  if (!readFieldNameLength(body, length) || !readTag(body, tag)) return false;
  if (!isTextType(tag.type)) {
    return fault(body, "field names stored as element type %u, not as text", tag.type);
  }
  if (tag.nbytes == 0) return skipBody(body, tag);
  if (length == 0 || tag.nbytes % length != 0) {
    return fault(body, "%u bytes of field names are not a whole number of names of %u bytes",
                 tag.nbytes, length);
  }
  std::string all(tag.nbytes, '\0');
  if (!readBody(body, tag, &all[0])) return false;
  names.reserve(tag.nbytes / length);
  for (size_t at = 0; at < all.size(); at += length) {
    const char *name = all.data() + at;
    const void *end = std::memchr(name, '\0', length);
    names.emplace_back(name, end ? static_cast<const char *>(end) - name : length);
  }
  return true;
}

}  // namespace

bool readCellData(Span &body, mxArray &array, int depth) {
  return readChildren(body, array, standin::numberOfElements(array), depth);
}

bool readStructData(Span &body, mxArray &array, int depth) {
  if (!readFieldNames(body, array.fieldNames)) return false;
  size_t elements = standin::numberOfElements(array);
  size_t children = 0;
  if (!checked::multiply(elements, array.fieldNames.size(), children)) {
    return fault(body, "more fields of elements than can be counted");
  }
  return readChildren(body, array, children, depth);
}

bool readObjectData(Span &body, mxArray &array, int depth) {
  Tag tag;
  if (!readTag(body, tag) || !readText(body, tag, array.objectClassName)) return false;
  return readStructData(body, array, depth);
}

}  // namespace mat_v5
