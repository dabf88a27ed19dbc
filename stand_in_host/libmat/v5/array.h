// The miMATRIX element: array flags, dimensions and name, then the data of
// the array's class.
#ifndef STAND_IN_HOST_LIBMAT_V5_ARRAY_H
#define STAND_IN_HOST_LIBMAT_V5_ARRAY_H

#include "v5/element.h"
#include "mx_array.h"

namespace mat_v5 {

using standin::ArrayPtr;

// Deepest nesting of cells, structs and objects that is read.
constexpr int kMaxDepth = 64;

// Reads the miMATRIX element whose data is `body` (its tag already read).
// With `whole` false only flags, dimensions and name are read; with `whole`
// true everything is read (the contents of function handles and opaque
// objects are passed over), and the caller checks that `body.left` is 0.
// Null for a damaged element. May throw std::bad_alloc.
ArrayPtr readMatrix(Span &body, bool whole, int depth);

}  // namespace mat_v5

#endif
