// Building and converting arrays of every class, on the stand-in's array
// model: what the literal parser and the output printer need beyond the
// stand-in's create* operations. Failures throw LiteralError.
#ifndef STAND_IN_HOST_PLUGIN_CALLER_ARRAY_BUILDERS_H
#define STAND_IN_HOST_PLUGIN_CALLER_ARRAY_BUILDERS_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "array_ptr.h"
#include "mx_array.h"

namespace builders {

constexpr size_t kMaxCount = INT32_MAX;          // elements, and each dimension
constexpr size_t kMaxDataBytes = size_t(1) << 31;  // 2 GiB of data an array

// Every dimension and the element count must fit the host's 32-bit counts.
void checkDims(const std::vector<size_t> &dims);

// Zeroed full array of a numeric, char or logical class.
ArrayPtr makeFull(ArrayClass cls, std::vector<size_t> dims, bool complex);
// 1-by-N char array of the bytes of `text` (0-by-0 when empty).
ArrayPtr makeCharRow(std::string_view text);
// A char matrix of the given rows, all of one length (0-by-0 when none).
ArrayPtr makeCharMatrix(const std::vector<std::string> &rows);
// start:step:end as MATLAB's colon makes it: a 1-by-N double row, empty
// when the step leads away from the end or is 0, NaN when a part is NaN.
ArrayPtr makeRange(double start, double step, double end);
// Cell of the given dimensions holding the elements in column-major order.
ArrayPtr makeCell(std::vector<size_t> dims, std::vector<ArrayPtr> elements);
// Cell of the given dimensions, each element a 0-by-0 double.
ArrayPtr makeEmptyCell(std::vector<size_t> dims);
// struct('name1', value1, ...) as MATLAB makes it: a cell value of more than
// one element spreads over a struct array of its size, any other value
// (a 1-by-1 cell's content) goes to every element.
ArrayPtr makeStruct(const std::vector<std::string> &names, const std::vector<ArrayPtr> &values);

bool isFullNumeric(const mxArray &array);  // numeric, char or logical, not sparse

// Sets every element's real part to `value` as the array's class holds it
// (libmx's class conversion).
void fill(mxArray &array, double value);
// Element `index` (column-major) of a real full numeric, char or logical
// array as a double (libmx's class conversion: exact up to 2^53).
double realAsDouble(const mxArray &array, size_t index);

// Class conversion of a full array through libmx's conversion, refusing
// what MATLAB refuses (NaN to logical, complex to logical or char).
ArrayPtr convertClass(const mxArray &array, ArrayClass cls);
ArrayPtr makeComplex(const mxArray &real, const mxArray &imaginary);
ArrayPtr sparseFromFull(const mxArray &array);
ArrayPtr fullFromSparse(const mxArray &array);
void reshape(mxArray &array, std::vector<size_t> dims);
ArrayPtr duplicate(const mxArray &array);

}  // namespace builders

#endif
