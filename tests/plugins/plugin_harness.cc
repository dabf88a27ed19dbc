#include "plugin_harness.h"

#include <gtest/gtest.h>

#include "literal_parser.h"

std::string pluginPath(const std::string &name) { return std::string(PLUGIN_DIR) + "/" + name + ".mexa64"; }

Plugin::Plugin(const std::string &name) { loadPlugin(pluginPath(name), plugin_, loadError_); }

Plugin::~Plugin() { unloadPlugin(plugin_); }

CallResult Plugin::call(int nlhs, const std::vector<const mxArray *> &inputs) const {
  CallResult result;
  std::vector<mxArray *> slots(nlhs < 1 ? 1 : nlhs, nullptr);
  {
    PrintCapture capture;
    result.returned = standin::callGateway(plugin_.gateway, nlhs, slots.data(),
                                           static_cast<int>(inputs.size()),
                                           const_cast<const mxArray **>(inputs.data()), result.error);
    result.printed = capture.text();
  }
  for (mxArray *slot : slots) result.outputs.emplace_back(slot);
  return result;
}

CallResult Plugin::callWith(int nlhs, const std::vector<std::string> &literals) {
  lastInputs_.clear();
  std::vector<const mxArray *> inputs;
  for (const std::string &text : literals) {
    lastInputs_.push_back(literal(text));
    inputs.push_back(lastInputs_.back().get());
  }
  return call(nlhs, inputs);
}

ArrayPtr literal(const std::string &text) {
  std::string error;
  ArrayPtr array(parseLiteral(text, error));
  EXPECT_TRUE(array) << text << ": " << error;
  return array;
}

// Room reserved up front, so that capturing allocates nothing while a test
// makes allocations fail.
PrintCapture::PrintCapture() {
  text_.reserve(4096);
  standin::setPrintSink(&PrintCapture::append, this);
}

PrintCapture::~PrintCapture() { standin::setPrintSink(nullptr, nullptr); }

void PrintCapture::append(void *context, const char *text, size_t length) {
  static_cast<PrintCapture *>(context)->text_.append(text, length);
}
