// Plans of the variables of a version 7.3 file, made with libhdf5: what each
// variable is (from its HDF5 object and MATLAB_* attributes, following cell
// and struct references) and where its data lies. Data that lies in the
// file as stored numbers (contiguous, or in chunks deflated or not) is only
// located; other data (stored types or filters the plan cannot describe,
// chunks never written) is read by libhdf5 when it is asked for: small
// blocks go inside the plan, large ones become streamed sources.
//
// This runs in the version 7.3 reader process, or, when asked for, in the
// process that builds the arrays.
#ifndef STAND_IN_HOST_LIBMAT_V73_PLAN_BUILDER_H
#define STAND_IN_HOST_LIBMAT_V73_PLAN_BUILDER_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "v73/plan.h"

namespace mat_v73 {

class PlanBuilder {
 public:
  PlanBuilder();
  ~PlanBuilder();
  PlanBuilder(const PlanBuilder &) = delete;
  PlanBuilder &operator=(const PlanBuilder &) = delete;

  // Opens the file with libhdf5 and lists its variables; false if libhdf5
  // cannot open it. A listing that failed shows in directory(). An
  // examination opens a file that is cut short, as far as it goes.
  bool open(const char *path, bool forExamination = false);
  // Closes the file; false if libhdf5 failed to (an object left open
  // counts as a failure).
  bool close();

  // The variable names, in HDF5's name order; false if the root group could
  // not be listed whole.
  bool directory(std::vector<std::string> &names) const;

  // The plan of variable `index`, a header or whole; false on any failure.
  // The streamed sources of the last whole plan can be read until the next
  // plan is made. Throws std::bad_alloc when memory runs out.
  bool plan(uint64_t index, bool whole, ArrayPlan &plan);

  // Streamed source `stream` of the last plan, `bytes` bytes, read with
  // libhdf5 in pieces of a few MiB handed in order to `take`; false if the
  // source does not exist, has another size, a read fails or `take`
  // refuses a piece.
  bool readStream(uint64_t stream, uint64_t bytes,
                  const std::function<bool(const void *, size_t)> &take);
  // The same, read whole straight into `destination`.
  bool readStreamInto(uint64_t stream, void *destination, uint64_t bytes);

  // Why the last plan failed, in words.
  const std::string &failure() const;

  // Copies the variables `names` with everything they refer to into a new
  // file at `outPath` behind a 512-byte user block holding this file's
  // 128-byte header; false with `why` set on failure.
  bool salvage(const std::vector<std::string> &names, const char *outPath, std::string &why);

  struct State;

 private:
  std::unique_ptr<State> state_;
};

}  // namespace mat_v73

#endif
