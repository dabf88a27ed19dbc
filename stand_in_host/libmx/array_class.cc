// Facts about array classes: element sizes and names.
#include "mx_array.h"

size_t elementSize(ArrayClass cls) {
  switch (cls) {
    case ArrayClass::Double:
    case ArrayClass::Int64:
    case ArrayClass::Uint64:
      return 8;
    case ArrayClass::Single:
    case ArrayClass::Int32:
    case ArrayClass::Uint32:
      return 4;
    case ArrayClass::Int16:
    case ArrayClass::Uint16:
    case ArrayClass::Char:
      return 2;
    case ArrayClass::Int8:
    case ArrayClass::Uint8:
    case ArrayClass::Logical:
      return 1;
    default:
      return 0;
  }
}

bool isNumericClass(ArrayClass cls) {
  return cls >= ArrayClass::Double && cls <= ArrayClass::Uint64;
}

const char *className(ArrayClass cls) {
  switch (cls) {
    case ArrayClass::Cell: return "cell";
    case ArrayClass::Struct: return "struct";
    case ArrayClass::Object: return "object";
    case ArrayClass::Char: return "char";
    case ArrayClass::Sparse: return "sparse";
    case ArrayClass::Double: return "double";
    case ArrayClass::Single: return "single";
    case ArrayClass::Int8: return "int8";
    case ArrayClass::Uint8: return "uint8";
    case ArrayClass::Int16: return "int16";
    case ArrayClass::Uint16: return "uint16";
    case ArrayClass::Int32: return "int32";
    case ArrayClass::Uint32: return "uint32";
    case ArrayClass::Int64: return "int64";
    case ArrayClass::Uint64: return "uint64";
    case ArrayClass::FunctionHandle: return "function_handle";
    case ArrayClass::Opaque: return "opaque";
    case ArrayClass::Logical: return "logical";
  }
  return "unknown";
}
