// vandrel: a plug-in called with two numbers and no output; it shows the
// life of a ValuePair holding them.
#include "demonstrate_value_pair.h"
#include "mex.h"

namespace {

// The first double of each input is read, so each must hold at least one
// double of its own: of class double, full (a sparse array's real data
// holds only its non-zeros) and not empty.
void checkHoldsDouble(const mxArray *input) {
  if (!mxIsDouble(input)) {
    mexErrMsgIdAndTxt("MATLAB:vandrel:notDouble", "VANDREL requires inputs of class double.");
  }
  if (mxIsSparse(input)) {
    mexErrMsgIdAndTxt("MATLAB:vandrel:sparseInput", "VANDREL requires full inputs, not sparse ones.");
  }
  if (mxGetNumberOfElements(input) < 1) {
    mexErrMsgIdAndTxt("MATLAB:vandrel:emptyInput",
                      "VANDREL requires inputs with at least one element.");
  }
}

}  // namespace

extern "C" HOST_EXPORT void mexFunction(int nlhs, mxArray *outputs[], int nrhs,
                                        const mxArray *inputs[]) {
  (void)outputs;
  if (nrhs != 2) {
    mexErrMsgIdAndTxt("MATLAB:vandrel:nargin", "VANDREL requires two input arguments.");
  }
  if (nlhs >= 1) {
    mexErrMsgIdAndTxt("MATLAB:vandrel:nargout", "VANDREL requires no output argument.");
  }
  checkHoldsDouble(inputs[0]);
  checkHoldsDouble(inputs[1]);
  double a = *mxGetPr(inputs[0]);
  double b = *mxGetPr(inputs[1]);
  demonstrateValuePair(a, b);
}
