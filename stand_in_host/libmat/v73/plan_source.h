// Where the reader of a version 7.3 file gets its plans from: libhdf5 in a
// reader process of its own (the default), or in this process. The
// variable MAT_V73_READER=in-process in the environment chooses the second,
// so that one build can be measured both ways; containment is the point of
// the first, since libhdf5 can crash or run away on a damaged file.
#ifndef STAND_IN_HOST_LIBMAT_V73_PLAN_SOURCE_H
#define STAND_IN_HOST_LIBMAT_V73_PLAN_SOURCE_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "v73/plan.h"

namespace mat_v73 {

class PlanSource {
 public:
  virtual ~PlanSource() = default;
  // The variable names; false if the directory cannot be read whole.
  virtual bool directory(std::vector<std::string> &names) = 0;
  // The plan of variable `index`, a header or whole; false on failure.
  virtual bool plan(uint64_t index, bool whole, ArrayPlan &plan) = 0;
  // Streamed source `stream` of the last plan: exactly `bytes` bytes into
  // `destination`.
  virtual bool stream(uint64_t stream, void *destination, uint64_t bytes) = 0;
  // Closes the file; false if closing failed.
  virtual bool close() = 0;
};

// libhdf5 in this process; null if it cannot open the file.
std::unique_ptr<PlanSource> openInThisProcess(const char *path);

// libhdf5 in a reader process started for the file; null if the process
// cannot be started or cannot open the file. A reader process that crashes
// or overruns its limits fails the request it was serving and every later
// one.
std::unique_ptr<PlanSource> openInReaderProcess(const char *path, uint64_t fileSize);

}  // namespace mat_v73

#endif
