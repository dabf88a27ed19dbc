// Plans made by libhdf5 in this process.
#include <cstdlib>
#include <cstring>

#include "v73/plan_builder.h"
#include "v73/plan_source.h"

namespace mat_v73 {

namespace {

class InProcess : public PlanSource {
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

}  // namespace

bool readsInThisProcess() {
  const char *choice = std::getenv("MAT_V73_READER");
  return choice != nullptr && std::strcmp(choice, "in-process") == 0;
}

std::unique_ptr<PlanSource> openInThisProcess(const char *path, bool forExamination) {
  std::unique_ptr<InProcess> source(new InProcess);
  if (!source->open(path, forExamination)) return nullptr;
  return source;
}

}  // namespace mat_v73
