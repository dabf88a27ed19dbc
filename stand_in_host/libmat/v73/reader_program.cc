// mat_v73_reader FILE: the version 7.3 reader process. libmat starts it for
// each version 7.3 file it opens, with a socket on descriptor 3 and its
// standard streams on /dev/null, and sends it requests (reader_channel.h):
// the directory, the plan of a variable, the bytes of a streamed source,
// close. libhdf5 runs here, held by the kernel to limits that grow with
// the file (reader_limits.h), so that a crash, a loop or a runaway
// allocation on a damaged file ends this process, not the one reading.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "common/byte_cursor.h"
#include "v73/plan_builder.h"
#include "v73/plan_wire.h"
#include "v73/reader_channel.h"
#include "v73/reader_limits.h"

namespace {

using namespace mat_v73;

constexpr int kChannel = 3;
// A salvage request names variables; other requests are three numbers.
constexpr uint64_t kLargestRequest = uint64_t(64) << 20;

// The address space the process has mapped now, from /proc.
uint64_t mappedBytes() {
  FILE *statm = std::fopen("/proc/self/statm", "r");
  unsigned long long pages = 0;
  if (statm == nullptr) return 0;
  if (std::fscanf(statm, "%llu", &pages) != 1) pages = 0;
  std::fclose(statm);
  return pages * static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
}

void limit(int resource, uint64_t soft, uint64_t hard) {
  rlimit current;
  if (getrlimit(resource, &current) != 0) return;
  // Never above what the process was already held to.
  rlimit wanted{static_cast<rlim_t>(soft), static_cast<rlim_t>(hard)};
  if (current.rlim_max != RLIM_INFINITY && wanted.rlim_max > current.rlim_max) {
    wanted.rlim_max = current.rlim_max;
  }
  if (wanted.rlim_cur > wanted.rlim_max) wanted.rlim_cur = wanted.rlim_max;
  setrlimit(resource, &wanted);
}

void limitResources(uint64_t fileSize) {
  uint64_t cpu = readerCpuSeconds(fileSize);
  limit(RLIMIT_CPU, cpu, cpu + 1);  // SIGXCPU at the soft limit, SIGKILL at the hard one
  uint64_t space = mappedBytes() + readerAddressSpace(fileSize);
  limit(RLIMIT_AS, space, space);
  limit(RLIMIT_CORE, 0, 0);  // a crash leaves no core file of a large process behind
}

void closeOtherDescriptors() {
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
  closefrom(kChannel + 1);
#endif
}

std::string statusOnly(bool succeeded) {
  uint64_t status = static_cast<uint64_t>(succeeded ? Status::Succeeded : Status::Failed);
  return std::string(reinterpret_cast<const char *>(&status), sizeof status);
}

bool serveDirectory(PlanBuilder &builder) {
  std::vector<std::string> names;
  bool listed = builder.directory(names);
  std::string answer = statusOnly(listed);
  if (listed) encodeNames(names, answer);
  return sendFrame(kChannel, answer);
}

// A failed plan's answer says why.
bool servePlan(PlanBuilder &builder, uint64_t index, bool whole) {
  ArrayPlan plan;
  bool planned = builder.plan(index, whole, plan);
  std::string answer = statusOnly(planned);
  if (planned) {
    encodePlan(plan, answer);
  } else {
    uint64_t length = builder.failure().size();
    answer.append(reinterpret_cast<const char *>(&length), sizeof length);
    answer += builder.failure();
  }
  return sendFrame(kChannel, answer);
}

// Salvage: the variables named in the request copied into a new file. The
// answer's status says whether it worked; a failure says why.
bool serveSalvage(PlanBuilder &builder, ByteCursor &in) {
  std::vector<std::string> names;
  std::string outPath = in.text(in.left());
  std::string why;
  bool salvaged = decodeNames(in, names) && in.atEnd() && builder.salvage(names, outPath.c_str(), why);
  std::string answer = statusOnly(salvaged);
  if (!salvaged) {
    uint64_t length = why.size();
    answer.append(reinterpret_cast<const char *>(&length), sizeof length);
    answer += why;
  }
  return sendFrame(kChannel, answer);
}

bool serveStream(PlanBuilder &builder, uint64_t stream, uint64_t bytes) {
  if (!sendFrame(kChannel, statusOnly(true))) return false;
  bool sent = true;
  bool read = false;
  try {
    read = builder.readStream(stream, bytes, [&](const void *piece, size_t length) {
      sent = sendFrame(kChannel, piece, length);
      return sent;
    });
  } catch (const std::bad_alloc &) {
    read = false;
  }
  return sent && (read || sendFrameLength(kChannel, kStreamFailed));
}

}  // namespace

int main(int argc, char **argv) {
  bool forExamination = argc == 3 && std::strcmp(argv[1], "--examine") == 0;
  if (argc != 2 && !forExamination) {
    std::fprintf(stderr, "usage: %s [--examine] FILE (started by libmat)\n", argv[0]);
    return 2;
  }
  const char *path = argv[argc - 1];
  closeOtherDescriptors();
  struct stat file;
  if (stat(path, &file) != 0) file.st_size = 0;
  limitResources(static_cast<uint64_t>(file.st_size));

  PlanBuilder builder;
  bool opened = builder.open(path, forExamination);
  if (!sendFrame(kChannel, statusOnly(opened)) || !opened) return 0;
  std::string request;
  while (receiveFrame(kChannel, request, kLargestRequest, Deadline::max())) {
    ByteCursor in(request.data(), request.size());
    uint64_t kind = in.u64(), a = in.u64(), b = in.u64();
    if (!in.ok() || (kind != static_cast<uint64_t>(Request::Salvage) && !in.atEnd())) return 1;
    bool served = false;
    try {
      switch (static_cast<Request>(kind)) {
        case Request::Directory: served = serveDirectory(builder); break;
        case Request::Plan: served = servePlan(builder, a, b != 0); break;
        case Request::Stream: served = serveStream(builder, a, b); break;
        case Request::Salvage: served = serveSalvage(builder, in); break;
        case Request::Close: return sendFrame(kChannel, statusOnly(builder.close())) ? 0 : 1;
      }
    } catch (const std::bad_alloc &) {
      served = sendFrame(kChannel, statusOnly(false));
    }
    if (!served) return 1;
  }
  return 0;  // the client is gone
}
