#include "v73/examine.h"

#include <sys/resource.h>

#include <memory>
#include <vector>

#include "common/text_format.h"
#include "v73/array_from_plan.h"
#include "v73/examine_header.h"
#include "v73/plan_source.h"
#include "v73/reader_limits.h"

namespace mat_v73 {

namespace {

// A reader process that crashes on a damaged variable is started again for
// the next one, this many times at most, and only while the reader
// processes together have used less than half the CPU time one may use. A
// reader stopped by its CPU limit has used all of it, so the examination
// stops there whatever the kernel counted of its last tick, and the readers
// of one examination use at most one and a half times one reader's time.
constexpr int kMostRestarts = 8;

// CPU seconds used by the reader processes that have ended.
double readersCpuSeconds() {
  rusage usage;
  if (getrusage(RUSAGE_CHILDREN, &usage) != 0) return 0;
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

std::unique_ptr<PlanSource> openSource(const char *path, uint64_t fileSize) {
  return readsInThisProcess() ? openInThisProcess(path, true)
                              : openInReaderProcess(path, fileSize, true);
}

void describe(const ArrayPlan &plan, VariableExamination &v) {
  v.described = true;
  v.className = plan.className.empty() ? className(plan.cls) : plan.className;
  std::vector<size_t> dims(plan.dims.begin(), plan.dims.end());
  standin::normalizeDims(dims);
  v.dims.assign(dims.begin(), dims.end());
  v.global = plan.global;
  v.complex = plan.complex;
  v.logical = plan.cls == ArrayClass::Logical;
  v.sparse = plan.sparse;
  v.offset = plan.address;
  v.storedBytes = plan.storedBytes;
  v.storage = plan.storage;
}

void setFault(VariableExamination &v, const std::string &why, bool placed, uint64_t at) {
  v.fault.found = true;
  v.fault.what = why.empty() ? std::string("libhdf5 cannot describe it") : why;
  v.fault.placed = placed;
  v.fault.at = at;
}

void examineVariable(PlanSource &source, const FileBytes &file, uint64_t index,
                     VariableExamination &v) {
  ArrayPlan header, whole;
  if (!source.plan(index, false, header)) {
    setFault(v, source.lastFailure(), false, 0);
    return;
  }
  describe(header, v);
  if (!source.plan(index, true, whole)) {
    setFault(v, source.lastFailure(), v.offset != 0, v.offset);
    return;
  }
  DataFault fault;
  if (!examineArray(whole, file, source, fault)) {
    setFault(v, fault.why, fault.placed || v.offset != 0, fault.placed ? fault.at : v.offset);
    return;
  }
  if (whole.sparse) v.storedValues = whole.storedValues;
}

}  // namespace

bool examine(const char *path, const FileBytes &file, FileExamination &examination,
             std::string &why) {
  examineHeader(file, examination);
  std::unique_ptr<PlanSource> source = openSource(path, file.size());
  if (!source) {
    why = "libhdf5 cannot open it as an HDF5 file";
    return false;
  }
  std::vector<std::string> names;
  if (!source->directory(names)) {
    examination.stop.found = true;
    examination.stop.what = "the root group cannot be listed whole; no variable can be located";
    return true;
  }
  int restarts = 0;
  double cpuBefore = readersCpuSeconds();
  double cpuAllowed = static_cast<double>(readerCpuSeconds(file.size()));
  for (uint64_t index = 0; index < names.size(); ++index) {
    VariableExamination v;
    v.index = index;
    v.name = names[index];
    v.storage = "HDF5";
    examineVariable(*source, file, index, v);
    examination.variables.push_back(v);
    if (source->alive()) continue;
    source.reset();  // ends and waits for the reader process
    if (++restarts > kMostRestarts || readersCpuSeconds() - cpuBefore >= cpuAllowed / 2 ||
        !(source = openSource(path, file.size()))) {
      examination.stop.found = true;
      examination.stop.what = formatText(
          "libhdf5 ended %d times on damaged variables; the variables after %s are not examined",
          restarts, names[index].c_str());
      return true;
    }
  }
  source->close();
  return true;
}

bool salvage(const char *path, const FileExamination &examination, const char *outPath,
             std::string &why) {
  std::vector<std::string> names;
  for (const VariableExamination &v : examination.variables) {
    if (!v.fault.found) names.push_back(v.name);
  }
  FileBytes file;
  std::unique_ptr<PlanSource> source;
  if (!file.open(path) || !(source = openSource(path, file.size()))) {
    why = "libhdf5 cannot open the file examined";
    return false;
  }
  bool salvaged = source->salvage(names, outPath, why);
  return source->close() && salvaged;
}

}  // namespace mat_v73
