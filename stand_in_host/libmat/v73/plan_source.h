// Where the reader of a version 7.3 file gets its plans from: libhdf5 in a
// reader process of its own (the default), or in this process. The
// variable MAT_V73_READER=in-process in the environment chooses the second,
// so that one build can be measured both ways; containment is the point of
// the first, since libhdf5 can crash or run away on a damaged file.
#ifndef STAND_IN_HOST_LIBMAT_V73_PLAN_SOURCE_H
#define STAND_IN_HOST_LIBMAT_V73_PLAN_SOURCE_H

#include <cstdint>
#include <functional>
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
  // `destination`, or in pieces handed in order to `take`.
  virtual bool stream(uint64_t stream, void *destination, uint64_t bytes) = 0;
  virtual bool streamPieces(uint64_t stream, uint64_t bytes,
                            const std::function<bool(const void *, size_t)> &take) = 0;
  // Why the last plan failed, when the source can say.
  virtual std::string lastFailure() const = 0;
  // Copies the variables `names`, with everything they refer to, into a
  // new version 7.3 file at `outPath`; false with `why` set on failure.
  virtual bool salvage(const std::vector<std::string> &names, const char *outPath,
                       std::string &why) = 0;
  // Closes the file; false if closing failed.
  virtual bool close() = 0;
  // False once the reader process has been lost: every request fails.
  virtual bool alive() const { return true; }
};

// True if MAT_V73_READER=in-process in the environment asks for libhdf5 in
// this process.
bool readsInThisProcess();

// libhdf5 in this process, through the module libmat_v73_in_process beside
// libmat; null if the module cannot be loaded or libhdf5 cannot open the
// file.
std::unique_ptr<PlanSource> openInThisProcess(const char *path, bool forExamination = false);

// libhdf5 in a reader process started for the file; null if the process
// cannot be started or cannot open the file. A reader process that crashes
// or overruns its limits fails the request it was serving and every later
// one. `forExamination`: libhdf5 opens a file cut short, as far as it goes.
std::unique_ptr<PlanSource> openInReaderProcess(const char *path, uint64_t fileSize,
                                                bool forExamination = false);

}  // namespace mat_v73

#endif
