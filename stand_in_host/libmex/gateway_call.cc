// Calling a gateway. mexErrMsgIdAndTxt must not return to the plug-in, and
// the plug-in may be a DLL built by another compiler, so the error ends the
// call with longjmp back to a setjmp owned here, on the host's side, rather
// than with a C++ exception that would have to unwind the plug-in's frames.
// The plug-ins hold no objects with destructors at the point they report an
// error, so the jump skips nothing that needs running.
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include "gateway_call.h"
#include "mex_host.h"

namespace {

// The innermost gateway call running on this thread.
thread_local standin::PendingCall *currentCall = nullptr;

// Makes `call` the current one for the lifetime of the guard, so that the
// previous one is back in place however the gateway call ends.
struct CurrentCallGuard {
  explicit CurrentCallGuard(standin::PendingCall *call) : previous(currentCall) {
    currentCall = call;
  }
  ~CurrentCallGuard() { currentCall = previous; }
  CurrentCallGuard(const CurrentCallGuard &) = delete;
  CurrentCallGuard &operator=(const CurrentCallGuard &) = delete;
  standin::PendingCall *previous;
};

void destroyOutputs(int nlhs, mxArray *outputs[]) {
  int slots = nlhs < 1 ? 1 : nlhs;  // a gateway may fill the first slot even when none was asked for
  for (int i = 0; i < slots; ++i) {
    mxDestroyArray(outputs[i]);
    outputs[i] = nullptr;
  }
}

}  // namespace

namespace standin {

[[noreturn]] void endCurrentCall(const char *identifier, const char *message) {
  PendingCall *call = currentCall;
  if (call == nullptr) {
    // No host is waiting for this call: there is nowhere to return to.
    std::fprintf(stderr, "%s: %s\n", identifier, message);
    std::abort();
  }
  call->error.identifier = identifier;
  call->error.message = message;
  std::longjmp(call->jump, 1);
}

bool callGateway(mexGateway *gateway, int nlhs, mxArray *outputs[], int nrhs,
                 const mxArray *inputs[], GatewayError &error) {
  PendingCall call;
  CurrentCallGuard guard(&call);
  if (setjmp(call.jump) == 0) {
    gateway(nlhs, outputs, nrhs, inputs);
    return true;
  }
  destroyOutputs(nlhs, outputs);
  error = call.error;
  return false;
}

}  // namespace standin
