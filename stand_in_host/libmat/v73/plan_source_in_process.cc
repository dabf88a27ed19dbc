// Plans made by libhdf5 in this process.
#include "v73/plan_builder.h"
#include "v73/plan_source.h"

namespace mat_v73 {

namespace {

class InProcess : public PlanSource {
 public:
  bool open(const char *path) { return builder_.open(path); }
  bool directory(std::vector<std::string> &names) override { return builder_.directory(names); }
  bool plan(uint64_t index, bool whole, ArrayPlan &plan) override {
    return builder_.plan(index, whole, plan);
  }
  bool stream(uint64_t stream, void *destination, uint64_t bytes) override {
    return builder_.readStreamInto(stream, destination, bytes);
  }
  bool close() override { return builder_.close(); }

 private:
  PlanBuilder builder_;
};

}  // namespace

std::unique_ptr<PlanSource> openInThisProcess(const char *path) {
  std::unique_ptr<InProcess> source(new InProcess);
  if (!source->open(path)) return nullptr;
  return source;
}

}  // namespace mat_v73
