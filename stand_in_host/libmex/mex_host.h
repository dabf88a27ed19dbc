// The host side of the stand-in plug-in library: how a host calls a
// gateway so that mexErrMsgIdAndTxt can end the call, and where mexPrintf's
// text goes. Plug-ins never see this header; they use host/mex.h.
#ifndef STAND_IN_HOST_LIBMEX_MEX_HOST_H
#define STAND_IN_HOST_LIBMEX_MEX_HOST_H

#include <cstddef>
#include <string>

#include "mex.h"

namespace standin {

// What a gateway reported through mexErrMsgIdAndTxt.
struct GatewayError {
  std::string identifier;
  std::string message;
};

// Calls the gateway. Returns true when it returned normally; false when it
// ended in mexErrMsgIdAndTxt, with the identifier and message in `error`.
// On an error the arrays the gateway stored in `outputs` are destroyed and
// the slots reset to null. An exception leaving the gateway (the standard
// allocation exception) passes through unchanged.
LIBMEX_API bool callGateway(mexGateway *gateway, int nlhs, mxArray *outputs[], int nrhs,
                            const mxArray *inputs[], GatewayError &error);

// Where mexPrintf's text goes: a sink called with each formatted piece.
// A null sink restores the default, standard output flushed after every call.
using PrintSink = void (*)(void *context, const char *text, size_t length);
LIBMEX_API void setPrintSink(PrintSink sink, void *context);

}  // namespace standin

#endif
