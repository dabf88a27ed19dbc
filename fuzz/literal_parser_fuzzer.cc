// libFuzzer target over the command-line host's literal parser: any text is
// either an array or a one-line error, never a crash, leak or overread; and
// an array's printed form reads back to an array that prints the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "array_printer.h"
#include "literal_parser.h"
#include "mx_array.h"

namespace {

// Elements in the array and all it holds, up to `limit` (printing and
// reading back a large array would take the fuzzer's time, not its inputs').
size_t elementsWithin(const mxArray &array, size_t limit) {
  size_t total = standin::numberOfElements(array);  // a sparse array prints in full
  for (const mxArray *child : array.children) {
    if (total > limit) break;
    total += elementsWithin(*child, limit);
  }
  return total;
}

void checkReadsBack(const mxArray &array) {
  if (elementsWithin(array, 4096) > 4096) return;
  std::string printed = formatArray(array);
  if (printed[0] == '<') return;  // an array with no literal
  std::string error;
  mxArray *again = parseLiteral(printed, error);
  // A printed form may nest a level deeper than its input (a cell in a struct).
  if (again == nullptr && error.find("nesting deeper") != std::string::npos) return;
  if (again == nullptr || formatArray(*again) != printed) std::abort();
  mxDestroyArray(again);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string error;
  mxArray *array = parseLiteral(std::string_view(reinterpret_cast<const char *>(data), size), error);
  if (array == nullptr && error.empty()) std::abort();  // a refusal always says why
  if (array != nullptr && error.find('\n') != std::string::npos) std::abort();
  if (array != nullptr) checkReadsBack(*array);
  mxDestroyArray(array);
  return 0;
}
