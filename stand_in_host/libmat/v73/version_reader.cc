// Version 7.3 behind the reader interface: plans come from libhdf5 (in the
// reader process, or in this process when MAT_V73_READER=in-process), and
// arrays are built from them here.
#include "v73/version_reader.h"

#include "v73/array_from_plan.h"
#include "v73/plan_source.h"

namespace mat_v73 {

namespace {

class Reader : public VariableReader {
 public:
  Reader(std::unique_ptr<FileBytes> file, std::unique_ptr<PlanSource> source)
      : file_(std::move(file)), source_(std::move(source)) {}

  bool directory(std::vector<std::string> &names) override { return source_->directory(names); }
  standin::ArrayPtr nextHeader() override { return next(false); }
  standin::ArrayPtr nextWhole() override { return next(true); }

  bool close() override {
    bool closed = source_->close();
    return file_->close() && closed;
  }

 private:
  // Each read moves on to the next variable, whether it succeeds or not.
  standin::ArrayPtr next(bool whole) {
    ArrayPlan plan;
    if (!source_->plan(next_++, whole, plan)) return nullptr;
    standin::ArrayPtr array = buildArray(plan, *file_, *source_);
    if (!array) return nullptr;
    array->name = plan.name;
    array->isGlobal = plan.global;
    return array;
  }

  std::unique_ptr<FileBytes> file_;  // the data that plans locate is read from here
  std::unique_ptr<PlanSource> source_;
  uint64_t next_ = 0;
};

std::unique_ptr<VariableReader> open(const char *path, std::unique_ptr<FileBytes> file) {
  std::unique_ptr<PlanSource> source =
      readsInThisProcess() ? openInThisProcess(path) : openInReaderProcess(path, file->size());
  if (!source) return nullptr;
  return std::unique_ptr<VariableReader>(new Reader(std::move(file), std::move(source)));
}

}  // namespace

const VersionReader kVersionReader = {hasVersion73Header, open};

}  // namespace mat_v73
