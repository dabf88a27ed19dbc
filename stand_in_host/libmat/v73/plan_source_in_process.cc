// The module libmat_v73_in_process, which libmat loads only when asked to
// (plan_source_loader.cc), so that libmat itself never loads libhdf5 and the
// forty shared libraries it brings.
#include "v73/plan_source_in_process.h"

#include <memory>

// The module's one entry: a source of plans for the file at `path`, to be
// deleted by its caller; null if libhdf5 cannot open the file.
extern "C" __attribute__((visibility("default"))) mat_v73::PlanSource *
mat_v73_open_in_process(const char *path, int forExamination) {
  std::unique_ptr<mat_v73::InProcessPlanSource> source(new mat_v73::InProcessPlanSource);
  if (!source->open(path, forExamination != 0)) return nullptr;
  return source.release();
}
