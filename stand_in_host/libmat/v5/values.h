// Reading the values of a data element into an array's buffer: numbers of
// any stored type converted to the array's class, indices and dimensions.
#ifndef STAND_IN_HOST_LIBMAT_V5_VALUES_H
#define STAND_IN_HOST_LIBMAT_V5_VALUES_H

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "v5/element.h"
#include "mx_array.h"

namespace mat_v5 {

// Number of values of a numeric element; false if the type is not numeric
// or nbytes is not a whole number of values. countValues says why, when the
// span is examined.
bool countStoredValues(const Tag &tag, size_t &count);
bool countValues(const Span &span, const Tag &tag, size_t &count);

// Reads the `count` values of a numeric element (tag already read; its
// nbytes must hold exactly `count` values) into `destination`, which holds
// `count` values of class `cls`. Values of the array's own type are read
// straight into it; others pass through a small buffer and are converted.
// A null `destination` checks the count and passes the values over.
bool readValues(Span &span, const Tag &tag, ArrayClass cls, size_t count, void *destination);

// Reads a whole int32 or uint32 element of indices (none negative) into
// `destination`, which holds `count` values; the element must hold exactly
// `count` of them. scanIndices hands them to `take` in pieces instead.
bool readIndices(Span &span, const Tag &tag, size_t count, size_t *destination);
bool scanIndices(Span &span, const Tag &tag, size_t count,
                 const std::function<bool(const size_t *, size_t)> &take);

// Reads an int32 or uint32 element of dimensions (at least two, none
// negative) into `dims`.
bool readDimensions(Span &span, const Tag &tag, std::vector<size_t> &dims);

// True for the element types that hold names: int8, uint8 and UTF-8.
bool isTextType(uint32_t type);

// Reads a name element (int8, uint8 or UTF-8 bytes, no NUL among them).
bool readText(Span &span, const Tag &tag, std::string &text);

}  // namespace mat_v5

#endif
