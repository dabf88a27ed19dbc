// Plans made by libhdf5 in this process: a plan builder behind the plan
// source interface. The module libmat_v73_in_process serves it to libmat;
// the fuzz target over the plans runs it directly.
#ifndef STAND_IN_HOST_LIBMAT_V73_PLAN_SOURCE_IN_PROCESS_H
#define STAND_IN_HOST_LIBMAT_V73_PLAN_SOURCE_IN_PROCESS_H

#include "v73/plan_builder.h"
#include "v73/plan_source.h"

namespace mat_v73 {

class InProcessPlanSource : public PlanSource {
 public:
  bool open(const char *path, bool forExamination) { return builder_.open(path, forExamination); }
  bool directory(std::vector<std::string> &names) override { return builder_.directory(names); }
  bool plan(uint64_t index, bool whole, ArrayPlan &plan) override {
    return builder_.plan(index, whole, plan);
  }
  bool stream(uint64_t stream, void *destination, uint64_t bytes) override {
    return builder_.readStreamInto(stream, destination, bytes);
  }
  bool streamPieces(uint64_t stream, uint64_t bytes,
                    const std::function<bool(const void *, size_t)> &take) override {
    return builder_.readStream(stream, bytes, take);
  }
  std::string lastFailure() const override { return builder_.failure(); }
  bool salvage(const std::vector<std::string> &names, const char *outPath,
               std::string &why) override {
    return builder_.salvage(names, outPath, why);
  }
  bool close() override { return builder_.close(); }

 private:
  PlanBuilder builder_;
};

}  // namespace mat_v73

#endif
