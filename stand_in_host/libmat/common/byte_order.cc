#include "common/byte_order.h"

namespace byte_order {

namespace {
template <typename Word>
void swapWords(unsigned char *bytes, size_t count) {
  for (size_t i = 0; i < count; ++i, bytes += sizeof(Word)) {
    Word word;
    std::memcpy(&word, bytes, sizeof word);
    word = swapped(word);
    std::memcpy(bytes, &word, sizeof word);
  }
}
}  // namespace

void swapEach(void *data, size_t count, size_t size) {
  unsigned char *bytes = static_cast<unsigned char *>(data);
  switch (size) {
    case 2: return swapWords<uint16_t>(bytes, count);
    case 4: return swapWords<uint32_t>(bytes, count);
    case 8: return swapWords<uint64_t>(bytes, count);
    default: return;
  }
}

}  // namespace byte_order
