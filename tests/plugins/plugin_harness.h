// Loads a built plug-in in this process, through the stand-in host, and
// calls its gateway with mexPrintf's text captured.
#ifndef TESTS_PLUGINS_PLUGIN_HARNESS_H
#define TESTS_PLUGINS_PLUGIN_HARNESS_H

#include <string>
#include <vector>

#include "array_ptr.h"
#include "mex_host.h"
#include "plugin_loader.h"

// What one gateway call did.
struct CallResult {
  bool returned = false;
  standin::GatewayError error;
  std::string printed;
  std::vector<ArrayPtr> outputs;  // the slots, max(nlhs, 1) of them
};

// Parses a literal for a test input; fails the test on a malformed one.
ArrayPtr literal(const std::string &text);

class Plugin {
 public:
  // `name` is the file's stem in the build's bin directory ("quenvor").
  explicit Plugin(const std::string &name);
  ~Plugin();
  Plugin(const Plugin &) = delete;
  Plugin &operator=(const Plugin &) = delete;

  bool loaded() const { return plugin_.gateway != nullptr; }
  const std::string &loadError() const { return loadError_; }
  mexGateway *gateway() const { return plugin_.gateway; }

  CallResult call(int nlhs, const std::vector<const mxArray *> &inputs) const;
  // Calls with inputs parsed from literals, kept until the next such call.
  CallResult callWith(int nlhs, const std::vector<std::string> &literals);
  const mxArray *lastInput(size_t index) const { return lastInputs_[index].get(); }

 private:
  LoadedPlugin plugin_;
  std::string loadError_;
  std::vector<ArrayPtr> lastInputs_;
};

std::string pluginPath(const std::string &name);

// Captures mexPrintf's text while alive.
class PrintCapture {
 public:
  PrintCapture();
  ~PrintCapture();
  PrintCapture(const PrintCapture &) = delete;
  PrintCapture &operator=(const PrintCapture &) = delete;
  const std::string &text() const { return text_; }

 private:
  static void append(void *context, const char *text, size_t length);
  std::string text_;
};

#endif
