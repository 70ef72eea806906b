#include "host/module_loader.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

namespace vesk_host {

ModuleLoader::~ModuleLoader() {
  if (handle_ != nullptr) {
    dlclose(handle_);
  }
}

std::vector<std::string> ModuleLoader::Candidates() {
  std::vector<std::string> candidates;
  std::error_code error;
  const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error) {
    const std::filesystem::path folder = executable.parent_path();
    candidates.push_back((folder / kModuleFileName).string());
    candidates.push_back((folder.parent_path() / "lib" / kModuleFileName).string());
  }
  candidates.push_back(kModuleFileName);
  return candidates;
}

bool ModuleLoader::Load(const std::string& path, std::string* error) {
  const std::vector<std::string> candidates = path.empty() ? Candidates() : std::vector<std::string>{path};
  error->clear();
  for (const std::string& candidate : candidates) {
    const bool isFile = candidate.find('/') != std::string::npos;
    if (isFile && !std::filesystem::exists(candidate) && path.empty()) {
      continue;
    }
    // Never unmapped: the module's process-wide timer queue may keep a thread of its own until exit.
    void* handle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (handle == nullptr) {
      const char* reason = dlerror();
      *error += (error->empty() ? "" : "; ") + std::string(reason != nullptr ? reason : candidate);
      continue;
    }
    auto construct = reinterpret_cast<ConstructSDKFn>(dlsym(handle, "ConstructSDK"));
    if (construct == nullptr) {
      *error += (error->empty() ? "" : "; ") + candidate + ": no ConstructSDK";
      dlclose(handle);
      continue;
    }
    handle_ = handle;
    constructSDK_ = construct;
    path_ = candidate;
    return true;
  }
  if (error->empty()) {
    *error = std::string(kModuleFileName) + " not found";
  }
  return false;
}

}  // namespace vesk_host
