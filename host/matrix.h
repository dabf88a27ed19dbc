/* Array operations of the host library libmx. */
#ifndef HOST_MATRIX_H
#define HOST_MATRIX_H

#include "host_types.h"

/* GNU Octave (liboctinterp) has these two under their plain names, with
   the same arguments and results: 64-bit sizes, and a complexity flag that
   is an int-sized enum there. Its mxGetM, mxGetN and mxGetNumberOfElements
   return size_t, as wide as mwSize is for it. */
#ifdef HOST_OCTAVE
#define mxCreateDoubleMatrix_700 mxCreateDoubleMatrix
#define mxGetNumberOfDimensions_700 mxGetNumberOfDimensions
#endif

#ifdef __cplusplus
extern "C" {
#endif

LIBMX_API double *mxGetPr(const mxArray *array);
LIBMX_API mwSize mxGetM(const mxArray *array);
LIBMX_API mwSize mxGetN(const mxArray *array);
LIBMX_API mwSize mxGetNumberOfElements(const mxArray *array);
LIBMX_API bool mxIsDouble(const mxArray *array);
LIBMX_API bool mxIsComplex(const mxArray *array);
LIBMX_API bool mxIsSparse(const mxArray *array);
LIBMX_API double mxGetScalar(const mxArray *array);
/* A new real (complexity 0) or complex double array of rows x columns
   doubles, every one of them (both parts of a complex array) zero. */
LIBMX_API mxArray *mxCreateDoubleMatrix_700(mwSize rows, mwSize columns, int complexity);
LIBMX_API mwSize mxGetNumberOfDimensions_700(const mxArray *array);
LIBMX_API bool mxIsFromGlobalWS(const mxArray *array);
LIBMX_API void mxDestroyArray(mxArray *array);
LIBMX_API void mxFree(void *memory);

#ifdef __cplusplus
}
#endif

#endif
