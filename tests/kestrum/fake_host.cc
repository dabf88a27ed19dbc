#include "fake_host.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "mat.h"

struct MATFile_tag {
  int id;
};

struct mxArray_tag {
  int id;
  FakeVariable variable;
};

namespace {

struct FakeState {
  FakeScript script;
  std::vector<std::string> events;
  int opens = 0;
  int closes = 0;
  int readsSinceOpen = 0;
  int arrays = 0;
  MATFile files[3] = {{1}, {2}, {3}};
  char **list = nullptr;
  FILE *capture = nullptr;
  long captured = 0;
};

FakeState state;

// Moves what was printed since the last call into the log.
void collectOutput() {
  std::fflush(stdout);
  // Standard output writes through a duplicate of the capture file's
  // descriptor, so the shared offset is where printing has got to.
  long end = static_cast<long>(lseek(fileno(state.capture), 0, SEEK_CUR));
  if (end <= state.captured) return;
  std::string text(static_cast<size_t>(end - state.captured), '\0');
  if (pread(fileno(state.capture), &text[0], text.size(), state.captured) > 0) {
    state.events.push_back("out:" + text);
  }
  state.captured = end;
}

void log(const std::string &event) {
  collectOutput();
  state.events.push_back(event);
}

std::string fileId(const MATFile *file) {
  return file == nullptr ? "null" : "F" + std::to_string(file->id);
}

std::string arrayId(const mxArray *array) {
  return array == nullptr ? "null" : "A" + std::to_string(array->id);
}

char **makeList(const std::vector<std::string> &names) {
  char **list = static_cast<char **>(std::calloc(names.size() + 1, sizeof(char *)));
  for (size_t i = 0; i < names.size(); ++i) list[i] = strdup(names[i].c_str());
  return list;
}

void freeList(char **list) {
  for (char **name = list; *name != nullptr; ++name) std::free(*name);
  std::free(list);
}

mxArray *nextVariable(const char *operation, MATFile *file, const char **name) {
  int index = state.readsSinceOpen++;
  mxArray *array = nullptr;
  bool scriptedNull = file != nullptr && file->id == state.script.nullReadOpen &&
                      index == state.script.nullReadIndex;
  if (!scriptedNull && index < static_cast<int>(state.script.variables.size())) {
    array = new mxArray{++state.arrays, state.script.variables[index]};
    *name = array->variable.name.c_str();
  }
  log(std::string(operation) + "(" + fileId(file) + ") -> " + arrayId(array));
  return array;
}

}  // namespace

extern "C" {

MATFile *matOpen(const char *fileName, const char *mode) {
  int number = ++state.opens;
  MATFile *file = number == state.script.failingOpen || number > 3 ? nullptr
                                                                   : &state.files[number - 1];
  state.readsSinceOpen = 0;
  log(std::string("matOpen(") + fileName + ", " + mode + ") -> " + fileId(file));
  return file;
}

int matClose(MATFile *file) {
  int result = ++state.closes == state.script.failingClose ? -1 : 0;
  log("matClose(" + fileId(file) + ") -> " + std::to_string(result));
  return result;
}

char **matGetDir(MATFile *file, int *count) {
  *count = state.script.storedCount;
  if (!state.script.directoryIsNull) state.list = makeList(state.script.directory);
  log("matGetDir(" + fileId(file) + ") -> " + (state.list != nullptr ? "list" : "null"));
  return state.list;
}

mxArray *matGetNextVariableInfo(MATFile *file, const char **name) {
  return nextVariable("matGetNextVariableInfo", file, name);
}

mxArray *matGetNextVariable(MATFile *file, const char **name) {
  return nextVariable("matGetNextVariable", file, name);
}

mwSize mxGetNumberOfDimensions_700(const mxArray *array) {
  log("mxGetNumberOfDimensions_700(" + arrayId(array) + ")");
  return array->variable.dimensions;
}

bool mxIsFromGlobalWS(const mxArray *array) {
  log("mxIsFromGlobalWS(" + arrayId(array) + ")");
  return array->variable.global;
}

void mxDestroyArray(mxArray *array) {
  log("mxDestroyArray(" + arrayId(array) + ")");
  delete array;
}

void mxFree(void *memory) {
  bool isList = memory != nullptr && memory == state.list;
  log(std::string("mxFree(") + (isList ? "list" : "unknown") + ")");
  if (isList) {
    freeList(state.list);
    state.list = nullptr;
  }
}

}  // extern "C"

std::vector<std::string> recordRun(const FakeScript &script, const std::function<int()> &run,
                                   int &status) {
  state = FakeState();
  state.script = script;
  state.capture = std::tmpfile();
  std::fflush(stdout);
  int savedStdout = dup(STDOUT_FILENO);
  dup2(fileno(state.capture), STDOUT_FILENO);

  status = run();
  collectOutput();

  dup2(savedStdout, STDOUT_FILENO);
  close(savedStdout);
  std::fclose(state.capture);
  if (state.list != nullptr) freeList(state.list);  // the run failed before freeing it
  return state.events;
}
