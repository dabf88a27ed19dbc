// A fake of the host's MAT-file and array operations that kestrum's
// diagnosis calls: it returns scripted results and records every call, with
// what the diagnosis printed between calls, as one log of events.
#ifndef TESTS_KESTRUM_FAKE_HOST_H
#define TESTS_KESTRUM_FAKE_HOST_H

#include <functional>
#include <string>
#include <vector>

struct FakeVariable {
  std::string name;
  int dimensions;
  bool global;
};

struct FakeScript {
  std::vector<std::string> directory;  // the names matGetDir lists
  int storedCount = 0;                 // the count matGetDir stores
  bool directoryIsNull = false;
  int failingOpen = 0;   // 1, 2 or 3: that matOpen returns null
  int failingClose = 0;  // 1, 2 or 3: that matClose returns -1
  int nullReadOpen = 0;  // with nullReadIndex: the read that returns null,
  int nullReadIndex = 0; // counted from 0 after the open numbered nullReadOpen
  std::vector<FakeVariable> variables;  // what reads yield after each open; null past the end
};

// Runs `run` with the host scripted by `script` and standard output captured,
// and stores what it returned in `status`. Returns the events in order: each
// host call with its arguments and result ("matOpen(x.mat, r) -> F1"), and
// "out:" followed by the text printed since the previous call.
std::vector<std::string> recordRun(const FakeScript &script, const std::function<int()> &run,
                                   int &status);

#endif
