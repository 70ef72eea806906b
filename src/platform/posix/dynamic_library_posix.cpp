// This file must contain only POSIX code.
#include "platform/dynamic_library.h"

#include <dlfcn.h>

#include <string>

namespace platform {

struct DynamicLibrary::Handle {
  void* library = nullptr;
};

DynamicLibrary::DynamicLibrary() = default;

DynamicLibrary::~DynamicLibrary() {
  Unload();
}

namespace {

// Where the simulator package puts its libraries, below the module's folder.
constexpr char kPrivateFolder[] = "vesk-plugin/";

// The folder of the binary that holds this code, with a trailing slash, or empty if unknown.
std::string OwnFolder() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&OwnFolder), &info) == 0 || info.dli_fname == nullptr) {
    return std::string();
  }
  const std::string path = info.dli_fname;
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

bool DynamicLibrary::Load(const std::string& name, std::string* error) {
  Unload();
  const std::string file = PlatformFileName(name);
  // A name without a slash goes through the loader's search: the calling object's RUNPATH,
  // LD_LIBRARY_PATH, then the system paths, so that a vendor library installed there wins.
  void* library = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  std::string reason;
  if (library == nullptr) {
    const char* text = dlerror();
    reason = text != nullptr ? text : "cannot load " + file;
  }
  // Then our own folder (sanitizer runtimes intercept dlopen, and the loader then searches the
  // interceptor's RUNPATH instead of ours), then the private folder where the simulator package
  // installs, which nothing but this loader searches.
  if (library == nullptr && file.find('/') == std::string::npos) {
    const std::string folder = OwnFolder();
    if (!folder.empty()) {
      reason = "in the loader's search path (" + reason + ")";
      for (const std::string& place : {folder, folder + kPrivateFolder}) {
        library = dlopen((place + file).c_str(), RTLD_NOW | RTLD_LOCAL);
        if (library != nullptr) {
          break;
        }
        const char* text = dlerror();
        reason += ", then in " + place + (text != nullptr ? " (" + std::string(text) + ")" : std::string());
      }
    }
  }
  if (library == nullptr) {
    if (error != nullptr) {
      *error = reason;
    }
    return false;
  }
  handle_ = std::make_unique<Handle>();
  handle_->library = library;
  return true;
}

bool DynamicLibrary::LoadIfAlreadyLoaded(const std::string& name) {
  Unload();
  void* library = dlopen(PlatformFileName(name).c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (library == nullptr) {
    return false;
  }
  handle_ = std::make_unique<Handle>();
  handle_->library = library;
  return true;
}

void DynamicLibrary::KeepLoaded() {
  handle_.reset();
}

bool DynamicLibrary::IsLoaded() const {
  return handle_ != nullptr;
}

void* DynamicLibrary::Symbol(const char* name) const {
  if (handle_ == nullptr || name == nullptr) {
    return nullptr;
  }
  return dlsym(handle_->library, name);
}

void DynamicLibrary::Unload() {
  if (handle_ != nullptr) {
    dlclose(handle_->library);
    handle_.reset();
  }
}

}  // namespace platform
