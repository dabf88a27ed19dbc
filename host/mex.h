/* Plug-in services of the host library libmex, and the gateway's form. */
#ifndef HOST_MEX_H
#define HOST_MEX_H

#include "matrix.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Reports the error under the identifier and ends the gateway call.
   GNU Octave's takes the message as a printf-style format followed by its
   arguments, so for Octave the declaration is variadic, as the call must be;
   the plug-ins pass no arguments, and the format check keeps '%' out of
   their messages. */
#if defined(__GNUC__)
__attribute__((noreturn))
#endif
#ifdef HOST_OCTAVE
LIBMEX_API void mexErrMsgIdAndTxt(const char *identifier, const char *message, ...)
    __attribute__((format(printf, 2, 3)));
#else
LIBMEX_API void mexErrMsgIdAndTxt(const char *identifier, const char *message);
#endif

LIBMEX_API int mexPrintf(const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

/* The gateway each plug-in exports: outputs asked for, output slots,
   number of inputs, inputs. */
typedef void mexGateway(int nlhs, mxArray *outputs[], int nrhs, const mxArray *inputs[]);

#ifdef __cplusplus
}
#endif

#endif
