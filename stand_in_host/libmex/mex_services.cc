// The plug-in services of libmex: formatted output and the error that ends
// a gateway call.
#include <cstdarg>
#include <cstdio>
#include <vector>

#include "gateway_call.h"
#include "mex.h"
#include "mex_host.h"

namespace {

void writeToStandardOutput(void *, const char *text, size_t length) {
  std::fwrite(text, 1, length, stdout);
  std::fflush(stdout);
}

standin::PrintSink printSink = writeToStandardOutput;
void *printContext = nullptr;

}  // namespace

namespace standin {

void setPrintSink(PrintSink sink, void *context) {
  printSink = sink != nullptr ? sink : writeToStandardOutput;
  printContext = sink != nullptr ? context : nullptr;
}

}  // namespace standin

extern "C" {

void mexErrMsgIdAndTxt(const char *identifier, const char *message) {
  standin::endCurrentCall(identifier != nullptr ? identifier : "",
                          message != nullptr ? message : "");
}

int mexPrintf(const char *format, ...) {
  if (format == nullptr) return 0;
  char small[512];
  va_list arguments;
  va_start(arguments, format);
  int length = std::vsnprintf(small, sizeof small, format, arguments);
  va_end(arguments);
  if (length < 0) return length;
  if (static_cast<size_t>(length) < sizeof small) {
    printSink(printContext, small, static_cast<size_t>(length));
    return length;
  }
  std::vector<char> large(static_cast<size_t>(length) + 1);
  va_start(arguments, format);
  std::vsnprintf(large.data(), large.size(), format, arguments);
  va_end(arguments);
  printSink(printContext, large.data(), static_cast<size_t>(length));
  return length;
}

}  // extern "C"
