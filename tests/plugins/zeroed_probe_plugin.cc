// A test plug-in that looks at the host's new double arrays: for each n of
// its input, it fills a new 1-by-n array with non-zeros and destroys it,
// then creates another 1-by-n array and counts the elements that are not
// zero. It returns the counts, one per n.
#include "mex.h"

extern "C" HOST_EXPORT void mexFunction(int, mxArray *outputs[], int nrhs, const mxArray *inputs[]) {
  if (nrhs != 1 || !mxIsDouble(inputs[0]) || mxIsSparse(inputs[0])) {
    mexErrMsgIdAndTxt("Test:zeroedProbe:input", "One full double array of lengths required.");
  }
  const double *lengths = mxGetPr(inputs[0]);
  mwSize count = mxGetNumberOfElements(inputs[0]);
  outputs[0] = mxCreateDoubleMatrix_700(1, count, 0);
  double *nonZeros = mxGetPr(outputs[0]);
  for (mwSize k = 0; k < count; ++k) {
    mwSize n = static_cast<mwSize>(lengths[k]);
    mxArray *filled = mxCreateDoubleMatrix_700(1, n, 0);
    double *values = mxGetPr(filled);
    for (mwSize i = 0; i < n; ++i) values[i] = -1.5;
    mxDestroyArray(filled);
    mxArray *fresh = mxCreateDoubleMatrix_700(1, n, 0);
    values = mxGetPr(fresh);
    for (mwSize i = 0; i < n; ++i) nonZeros[k] += values[i] != 0;
    mxDestroyArray(fresh);
  }
}
