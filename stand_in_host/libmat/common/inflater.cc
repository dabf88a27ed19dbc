#include <cstdlib>
#include <cstring>

#include "common/inflater.h"

// The build's library, unless MAT_INFLATER=zlib in the environment asks for
// zlib: a run-time switch, so that one build can compare the two.
std::unique_ptr<Inflater> makeInflater() {
  static const bool useZlib = [] {
    const char *choice = std::getenv("MAT_INFLATER");
    return choice != nullptr && std::strcmp(choice, "zlib") == 0;
  }();
  std::unique_ptr<Inflater> inflater = useZlib ? nullptr : makeIsalInflater();
  return inflater ? std::move(inflater) : makeZlibInflater();
}
