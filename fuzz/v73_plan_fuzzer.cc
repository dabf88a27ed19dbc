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
#include "v73/plan_builder.h"
#include "v73/plan_wire.h"
#include "scratch_file.h"

namespace {

// More variables than this in one input add little coverage and much time.
constexpr size_t kMostVariables = 32;

// Streams served by the same builder, as the in-process reader serves them.
class BuilderStreams : public mat_v73::PlanSource {
 public:
  explicit BuilderStreams(mat_v73::PlanBuilder &builder) : builder_(builder) {}
  bool directory(std::vector<std::string> &) override { return false; }
  bool plan(uint64_t, bool, mat_v73::ArrayPlan &) override { return false; }
  bool stream(uint64_t stream, void *destination, uint64_t bytes) override {
    return builder_.readStreamInto(stream, destination, bytes);
  }
  bool streamPieces(uint64_t stream, uint64_t bytes,
                    const std::function<bool(const void *, size_t)> &take) override {
    return builder_.readStream(stream, bytes, take);
  }
  std::string lastFailure() const override { return builder_.failure(); }
  bool salvage(const std::vector<std::string> &, const char *, std::string &) override {
    return false;
  }
  bool close() override { return true; }

 private:
  mat_v73::PlanBuilder &builder_;
};

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
  mat_v73::PlanBuilder builder;
  FileBytes file;
  std::vector<std::string> names;
  if (!file.open(scratchFilePath()) || !builder.open(scratchFilePath()) || !builder.directory(names)) return 0;
  BuilderStreams streams(builder);
  for (size_t i = 0; i < names.size() && i < kMostVariables; ++i) {
    for (bool whole : {false, true}) {
      try {
        mat_v73::ArrayPlan plan, back;
        if (!builder.plan(i, whole, plan)) continue;
        checkRoundTrip(plan, back);
        mat_v73::buildArray(back, file, streams);
      } catch (const std::bad_alloc &) {
      }
    }
  }
  builder.close();
  return 0;
}
