// MATLAB-style literals, as a caller of a plug-in writes its arguments:
//   5  -2.5e3  Inf  -Inf  NaN  pi  eps  1+2i  3j  double scalars, real or complex
//   [1 2 3]  [1,2;3,4]  [1;2;3]  []  [true false] double (or logical) matrices
//   1:5  0:0.5:2  5:-1:1  1:0                      ranges, as MATLAB's colon makes them
//   'text'  ''  ['ab';'cd']                        char row ('' doubled inside), char matrix
//   true  false  true(2,3)  false(1,0)            logical
//   zeros(1,0)  ones(2,3,4)  zeros(2,2,'int16')   filled arrays of any numeric class
//   NaN(2,3)  Inf(1,2,'single')                   filled double or single arrays
//   int8(..) .. uint64(..)  single(..)  double(..)  logical(..)  char(..)
//   complex(A,B)  sparse(M)  reshape(M,[2 2 2])  reshape(M,2,2,2)
//   {1, 'a'; [1 2], {}}  cell(2,3)  struct('name', V, ...)  struct()
// Dimensions are integers, a negative one counting as 0; an array holds at
// most 2^31-1 elements and 2 GiB of data (a cell or struct array 2^20
// elements). Conversions to integer classes round half away from zero and
// saturate, as MATLAB's do.
#ifndef STAND_IN_HOST_PLUGIN_CALLER_LITERAL_PARSER_H
#define STAND_IN_HOST_PLUGIN_CALLER_LITERAL_PARSER_H

#include <string>
#include <string_view>

#include "matrix.h"

// Parses the whole text as one literal. Returns a new array owned by the
// caller, or null with `error` set to a one-line reason naming the column.
mxArray *parseLiteral(std::string_view text, std::string &error);

#endif
