// The contents of cells, structs and objects: nested miMATRIX elements.
#ifndef STAND_IN_HOST_LIBMAT_V5_CONTAINERS_H
#define STAND_IN_HOST_LIBMAT_V5_CONTAINERS_H

#include "v5/element.h"
#include "mx_array.h"

namespace mat_v5 {

// Each reads the rest of a whole miMATRIX element of its class into `array`
// (class, dimensions and name already set). False for damaged contents.
// `depth` is the nesting depth of `array` itself.
bool readCellData(Span &body, mxArray &array, int depth);
bool readStructData(Span &body, mxArray &array, int depth);
bool readObjectData(Span &body, mxArray &array, int depth);

}  // namespace mat_v5

#endif
