// Arrays written as MATLAB-style literals: the text parseLiteral reads back
// to an array of the same class, size and values. Examples:
//   [2 4 6]   5   []   zeros(1,0)   [1 2; 3 4]   reshape([1 2 3 4 5 6 7 8], [2 2 2])
//   complex([1 2], [3 -4])   int32([1 2])   single(0.1)   true   logical([1 0])
//   'text'   char([104 10])   sparse([0 2; 3 0])   {1, 'a'}   struct('f', 1)
// Numbers take the shortest form that reads back to the same value. The one
// array that has no literal, a struct array of other than one element with
// no fields, prints as "<2x3 struct array with no fields>"; arrays of other
// classes (objects, function handles) likewise print as "<size class>".
#ifndef STAND_IN_HOST_PLUGIN_CALLER_ARRAY_PRINTER_H
#define STAND_IN_HOST_PLUGIN_CALLER_ARRAY_PRINTER_H

#include <string>

#include "mx_array.h"

std::string formatArray(const mxArray &array);
// A double in the shortest form that reads back to it; NaN, Inf, -Inf.
std::string formatNumber(double value);

#endif
