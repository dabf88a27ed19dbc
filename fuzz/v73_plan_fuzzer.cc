// libFuzzer target over the version 7.3 interpretation, with libhdf5 in this
// process so that coverage reaches it: the input's bytes become a file that
// the plan builder opens; each variable's header and whole plans are made,
// sent through the wire format and back (which must give the same plan),
// and the whole plan is built into an array from the file, as a reading
// process builds it. A crash inside libhdf5 itself is a finding of its own
// kind (fuzz/triage_reader_findings.sh tells those apart); in kestrum the
// reader process contains them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "common/byte_cursor.h"
#include "common/file_bytes.h"
#include "v73/array_from_plan.h"
#include "v73/plan_source_in_process.h"
#include "v73/plan_wire.h"
#include "scratch_file.h"

namespace {

// More variables than this in one input add little coverage and much time.
constexpr size_t kMostVariables = 32;

void checkRoundTrip(const mat_v73::ArrayPlan &plan, mat_v73::ArrayPlan &back) {
  std::string bytes, again;
  mat_v73::encodePlan(plan, bytes);
  ByteCursor in(bytes.data(), bytes.size());
  if (!mat_v73::decodePlan(in, back) || !in.atEnd()) std::abort();
  mat_v73::encodePlan(back, again);
  if (again != bytes) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  createScratchFile("v73-plan-fuzz");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  writeScratchFile(data, size);
  mat_v73::InProcessPlanSource source;
  FileBytes file;
  std::vector<std::string> names;
  if (!file.open(scratchFilePath()) || !source.open(scratchFilePath(), false) ||
      !source.directory(names)) {
    return 0;
  }
  for (size_t i = 0; i < names.size() && i < kMostVariables; ++i) {
    for (bool whole : {false, true}) {
      try {
        mat_v73::ArrayPlan plan, back;
        if (!source.plan(i, whole, plan)) continue;
        checkRoundTrip(plan, back);
        mat_v73::buildArray(back, file, source);
      } catch (const std::bad_alloc &) {
      }
    }
  }
  source.close();
  return 0;
}
