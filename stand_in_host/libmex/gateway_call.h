// The state of one gateway call, shared by callGateway and the error
// operation that ends it. Internal to the stand-in libmex.
#ifndef STAND_IN_HOST_LIBMEX_GATEWAY_CALL_H
#define STAND_IN_HOST_LIBMEX_GATEWAY_CALL_H

#include <csetjmp>

#include "mex_host.h"

namespace standin {

struct PendingCall {
  std::jmp_buf jump;
  GatewayError error;
};

// Records the error on the current call and jumps back to its host.
// Without a current call, prints the error and aborts.
[[noreturn]] void endCurrentCall(const char *identifier, const char *message);

}  // namespace standin

#endif
