#include "v5/stored_types.h"

#include "v5/element.h"

namespace mat_v5 {

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

}  // namespace mat_v5
