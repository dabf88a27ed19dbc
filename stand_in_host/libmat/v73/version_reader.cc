// Version 7.3 behind the reader interface.
#include "v73/version_reader.h"

#include "v73/isolated.h"

namespace mat_v73 {

namespace {

#if defined(MAT_V73_IN_PROCESS)
using V73File = File;
#else
using V73File = IsolatedFile;
#endif

class Reader : public VariableReader {
 public:
  bool open(const char *path, uint64_t size) { return file_.open(path, size); }
  bool directory(std::vector<std::string> &names) override {
    return file_.listVariableNames(names);
  }
  standin::ArrayPtr nextHeader() override { return standin::ArrayPtr(file_.readVariable(next_, false)); }
  standin::ArrayPtr nextWhole() override { return standin::ArrayPtr(file_.readVariable(next_, true)); }
  bool close() override { return file_.close(); }

 private:
  V73File file_;
  size_t next_ = 0;
};

std::unique_ptr<VariableReader> open(const char *path, std::unique_ptr<FileBytes> file) {
  std::unique_ptr<Reader> reader(new Reader);
  uint64_t size = file->size();
  file->close();
  if (!reader->open(path, size)) return nullptr;
  return reader;
}

}  // namespace

const VersionReader kVersionReader = {hasVersion73Header, open};

}  // namespace mat_v73
