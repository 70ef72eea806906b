#include "host/kit/module_loader.h"

#include <filesystem>

#include "platform/dynamic_library.h"
#include "platform/process.h"

namespace vesk_host {

std::string ModuleLoader::ModuleFileName() {
  return platform::DynamicLibrary::PlatformFileName("vesk_plugin.dll");
}

std::vector<std::string> ModuleLoader::Candidates() {
  std::vector<std::string> candidates;
  const std::string executable = platform::ExecutablePath();
  if (!executable.empty()) {
    const std::filesystem::path folder = std::filesystem::path(executable).parent_path();
    candidates.push_back((folder / ModuleFileName()).string());
    candidates.push_back((folder.parent_path() / "lib" / ModuleFileName()).string());
  }
  candidates.push_back(ModuleFileName());
  return candidates;
}

bool ModuleLoader::Load(const std::string& path, std::string* error) {
  const std::vector<std::string> candidates = path.empty() ? Candidates() : std::vector<std::string>{path};
  error->clear();
  for (const std::string& candidate : candidates) {
    const bool isFile = candidate.find_first_of("/\\") != std::string::npos;
    if (isFile && !std::filesystem::exists(candidate) && path.empty()) {
      continue;
    }
    platform::DynamicLibrary library;
    std::string reason;
    if (!library.Load(candidate, &reason)) {
      *error += (error->empty() ? "" : "; ") + reason;
      continue;
    }
    auto construct = reinterpret_cast<ConstructSDKFn>(library.Symbol("ConstructSDK"));
    if (construct == nullptr) {
      *error += (error->empty() ? "" : "; ") + candidate + ": no ConstructSDK";
      continue;
    }
    // Never unloaded: the module's process-wide timer queue may keep a thread of its own until exit.
    library.KeepLoaded();
    constructSDK_ = construct;
    path_ = candidate;
    return true;
  }
  if (error->empty()) {
    *error = ModuleFileName() + " not found";
  }
  return false;
}

}  // namespace vesk_host
