#include "mat_v5_convert.h"

#include <cstring>

#include "mat_v5_element.h"

namespace mat_v5 {

namespace {

template <typename Word, typename Swap>
void swapEach(void *data, size_t count, Swap swap) {
  unsigned char *bytes = static_cast<unsigned char *>(data);
  for (size_t i = 0; i < count; ++i, bytes += sizeof(Word)) {
    Word word;
    std::memcpy(&word, bytes, sizeof word);
    word = swap(word);
    std::memcpy(bytes, &word, sizeof word);
  }
}

}  // namespace

bool classOfStoredType(uint32_t type, ArrayClass &cls) {
  switch (type) {
    case kInt8: cls = ArrayClass::Int8; return true;
    case kUint8: cls = ArrayClass::Uint8; return true;
    case kInt16: cls = ArrayClass::Int16; return true;
    case kUint16: cls = ArrayClass::Uint16; return true;
    case kInt32: cls = ArrayClass::Int32; return true;
    case kUint32: cls = ArrayClass::Uint32; return true;
    case kSingle: cls = ArrayClass::Single; return true;
    case kDouble: cls = ArrayClass::Double; return true;
    case kInt64: cls = ArrayClass::Int64; return true;
    case kUint64: cls = ArrayClass::Uint64; return true;
    default: return false;
  }
}

void swapBytes(void *data, size_t count, size_t size) {
  switch (size) {
    case 2: return swapEach<uint16_t>(data, count, [](uint16_t v) { return __builtin_bswap16(v); });
    case 4: return swapEach<uint32_t>(data, count, [](uint32_t v) { return __builtin_bswap32(v); });
    case 8: return swapEach<uint64_t>(data, count, [](uint64_t v) { return __builtin_bswap64(v); });
    default: return;
  }
}

}  // namespace mat_v5
