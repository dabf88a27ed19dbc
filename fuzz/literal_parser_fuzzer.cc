// libFuzzer target over the command-line host's literal parser: any text is
// either an array or a one-line error, never a crash, leak or overread.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "literal_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string error;
  mxArray *array = parseLiteral(std::string_view(reinterpret_cast<const char *>(data), size), error);
  if (array == nullptr && error.empty()) std::abort();  // a refusal always says why
  if (array != nullptr && error.find('\n') != std::string::npos) std::abort();
  mxDestroyArray(array);
  return 0;
}
