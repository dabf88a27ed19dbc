// Loading a plug-in file and finding its gateway on Windows: the same
// contract as the dlopen loader, with LoadLibrary and GetProcAddress.
#include <windows.h>

#include <cctype>
#include <string>

#include "plugin_loader.h"

namespace {

const char *const kGatewayNames[] = {"mexFunction", "_mexFunction"};

// The system's text for the last error, without its line end.
std::string lastErrorText() {
  DWORD code = GetLastError();
  char *text = nullptr;
  DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char *>(&text), 0, nullptr);
  std::string message = length > 0 ? std::string(text, length) : "error " + std::to_string(code);
  LocalFree(text);
  while (!message.empty() && std::isspace(static_cast<unsigned char>(message.back()))) {
    message.pop_back();
  }
  return message;
}

// LoadLibrary searches the DLL path for a name without a directory, and adds
// ".dll" to a name without an extension unless it ends in a dot; the caller
// means the file as named.
std::string asFileName(const std::string &path) {
  size_t nameStart = path.find_last_of("/\\:");
  std::string name = nameStart == std::string::npos ? path : path.substr(nameStart + 1);
  std::string file = nameStart == std::string::npos ? ".\\" + path : path;
  if (name.find('.') == std::string::npos) file += '.';
  return file;
}

}  // namespace

bool loadPlugin(const std::string &path, LoadedPlugin &plugin, std::string &error) {
  HMODULE module = LoadLibraryA(asFileName(path).c_str());
  if (module == nullptr) {
    error = "cannot load plug-in " + path + ": " + lastErrorText();
    return false;
  }
  for (const char *name : kGatewayNames) {
    FARPROC symbol = GetProcAddress(module, name);
    if (symbol != nullptr) {
      plugin.handle = module;
      // Through void (*)(void), the one function type that converts to any other.
      plugin.gateway = reinterpret_cast<mexGateway *>(reinterpret_cast<void (*)(void)>(symbol));
      plugin.gatewayName = name;
      return true;
    }
  }
  FreeLibrary(module);
  error = "plug-in " + path + " exports neither mexFunction nor _mexFunction";
  return false;
}

void unloadPlugin(LoadedPlugin &plugin) {
  if (plugin.handle != nullptr) FreeLibrary(static_cast<HMODULE>(plugin.handle));
  plugin = LoadedPlugin();
}
