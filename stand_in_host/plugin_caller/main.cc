// call_plugin: a command-line host that loads a plug-in, calls its gateway
// with inputs written as MATLAB-style literals or read from MAT-files, and
// prints the outputs. See kUsageText for the whole command line.
#include <cstdio>
#include <exception>
#include <new>
#include <vector>

#include "array_printer.h"
#include "command_line.h"
#include "literal_parser.h"
#include "mat_variable.h"
#include "mex_host.h"
#include "plugin_loader.h"
#include "project_version.h"

namespace {

constexpr int kPluginError = 1;
constexpr int kUsageError = 2;

const char kVersionText[] = "call_plugin " PROJECT_VERSION_TEXT "\n" PROJECT_LICENCE_TEXT;

int usageError(const std::string &message) {
  std::fprintf(stderr, "call_plugin: %s\nTry 'call_plugin --help'.\n", message.c_str());
  return kUsageError;
}

ArrayPtr buildInput(const InputSource &source, std::string &error) {
  if (source.fromMatFile) return readMatVariable(source.text, source.variable, error);
  std::string reason;
  ArrayPtr array(parseLiteral(source.text, reason));
  if (!array) error = "malformed literal '" + source.text + "': " + reason;
  return array;
}

void printOutputs(int nlhs, const std::vector<mxArray *> &outputs) {
  if (nlhs == 0 && outputs[0] != nullptr) {
    std::printf("ans = %s\n", formatArray(*outputs[0]).c_str());
  }
  for (int i = 0; i < nlhs; ++i) {
    std::string text = outputs[i] != nullptr ? formatArray(*outputs[i]) : "<not assigned>";
    std::printf("out%d = %s\n", i + 1, text.c_str());
  }
  std::fflush(stdout);
}

// Calls the gateway; returns the exit status.
int callAndReport(const LoadedPlugin &plugin, int nlhs, const std::vector<ArrayPtr> &inputs) {
  std::vector<const mxArray *> inputHandles;
  for (const ArrayPtr &input : inputs) inputHandles.push_back(input.get());
  std::vector<mxArray *> outputs(nlhs < 1 ? 1 : nlhs, nullptr);
  standin::GatewayError error;
  bool returned = false;
  try {
    returned = standin::callGateway(plugin.gateway, nlhs, outputs.data(),
                                    static_cast<int>(inputHandles.size()), inputHandles.data(), error);
  } catch (const std::bad_alloc &) {
    std::fflush(stdout);
    std::fprintf(stderr, "call_plugin: out of memory\n");
    return kPluginError;
  } catch (const std::exception &exception) {
    std::fflush(stdout);
    std::fprintf(stderr, "call_plugin: the plug-in threw an exception: %s\n", exception.what());
    return kPluginError;
  }
  if (!returned) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s: %s\n", error.identifier.c_str(), error.message.c_str());
    return kPluginError;
  }
  int status = 0;
  try {
    printOutputs(nlhs, outputs);
  } catch (const std::bad_alloc &) {
    std::fprintf(stderr, "call_plugin: out of memory while printing the outputs\n");
    status = kPluginError;
  }
  for (mxArray *output : outputs) mxDestroyArray(output);
  return status;
}

int run(const CallRequest &request) {
  std::vector<ArrayPtr> inputs;
  for (const InputSource &source : request.inputs) {
    std::string error;
    ArrayPtr input = buildInput(source, error);
    if (!input) return usageError(error);
    inputs.push_back(std::move(input));
  }
  LoadedPlugin plugin;
  std::string error;
  if (!loadPlugin(request.pluginPath, plugin, error)) return usageError(error);
  int status = callAndReport(plugin, request.nlhs, inputs);
  inputs.clear();
  unloadPlugin(plugin);
  return status;
}

}  // namespace

int main(int argc, char *argv[]) {
  CallRequest request;
  std::string error;
  if (!parseCommandLine(argc - 1, argv + 1, request, error)) return usageError(error);
  if (request.help) {
    std::fputs(kUsageText, stdout);
    return 0;
  }
  if (request.version) {
    std::fputs(kVersionText, stdout);
    return 0;
  }
  try {
    return run(request);
  } catch (const std::bad_alloc &) {
    std::fprintf(stderr, "call_plugin: out of memory\n");
    return kPluginError;
  }
}
