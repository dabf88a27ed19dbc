// Plans made by libhdf5 in this process: the module libmat_v73_in_process,
// which libmat loads only when asked to (plan_source_loader.cc), so that
// libmat itself never loads libhdf5 and the forty shared libraries it
// brings.
#include <memory>

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

}  // namespace mat_v73

// The module's one entry: a source of plans for the file at `path`, to be
// deleted by its caller; null if libhdf5 cannot open the file.
extern "C" __attribute__((visibility("default"))) mat_v73::PlanSource *
mat_v73_open_in_process(const char *path, int forExamination) {
  std::unique_ptr<mat_v73::InProcess> source(new mat_v73::InProcess);
  if (!source->open(path, forExamination != 0)) return nullptr;
  return source.release();
}
