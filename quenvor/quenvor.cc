// quenvor: a plug-in called with a scalar multiplier and a row vector; it
// returns the row multiplied by the scalar.
#include <algorithm>
#include <climits>

#include "mex.h"
#include "multiply_row.h"

namespace {

void checkArguments(int nlhs, int nrhs, const mxArray *inputs[]) {
  if (nrhs != 2) mexErrMsgIdAndTxt("Tessaly:quenvor:nrhs", "Two inputs required.");
  if (nlhs != 1) mexErrMsgIdAndTxt("Tessaly:quenvor:nlhs", "One output required.");
  const mxArray *multiplier = inputs[0];
  if (!mxIsDouble(multiplier) || mxIsComplex(multiplier) ||
      mxGetNumberOfElements(multiplier) != 1) {
    mexErrMsgIdAndTxt("Tessaly:quenvor:notScalar", "Input multiplier must be a scalar.");
  }
  if (mxGetM(inputs[1]) != 1) {
    mexErrMsgIdAndTxt("Tessaly:quenvor:notRowVector", "Input must be a row vector.");
  }
}

// The row's real data is read as n doubles, so it must hold them: of class
// double and full (a sparse array's real data holds only its non-zeros).
// A sparse multiplier's first double is not its value when it is zero.
void checkDataHoldsDoubles(const mxArray *inputs[]) {
  if (mxIsSparse(inputs[0])) {
    mexErrMsgIdAndTxt("Tessaly:quenvor:sparseMultiplier",
                      "Input multiplier must be a full scalar, not a sparse one.");
  }
  if (!mxIsDouble(inputs[1])) {
    mexErrMsgIdAndTxt("Tessaly:quenvor:notDouble", "Input row vector must be of class double.");
  }
  if (mxIsSparse(inputs[1])) {
    mexErrMsgIdAndTxt("Tessaly:quenvor:sparseRow", "Input row vector must be full, not sparse.");
  }
}

}  // namespace

// The entry's name carries a leading underscore, as hosts that look for the
// gateway under either name expect of this plug-in.
extern "C" HOST_EXPORT void _mexFunction(int nlhs, mxArray *outputs[], int nrhs,
                                         const mxArray *inputs[]) {
  checkArguments(nlhs, nrhs, inputs);
  checkDataHoldsDoubles(inputs);
  double multiplier = mxGetScalar(inputs[0]);
  const double *in = mxGetPr(inputs[1]);
  mwSize n = mxGetN(inputs[1]);
  outputs[0] = mxCreateDoubleMatrix_700(1, n, 0);
  double *out = mxGetPr(outputs[0]);
  // multiplyRow counts in an int; a 64-bit host's row may be longer, and
  // then goes through in pieces rather than wrapping to a shorter result.
  for (mwSize done = 0; done < n;) {
    int piece = static_cast<int>(std::min<mwSize>(n - done, INT_MAX));
    multiplyRow(multiplier, in + done, out + done, piece);
    done += static_cast<mwSize>(piece);
  }
}
