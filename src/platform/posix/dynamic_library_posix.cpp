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
  // LD_LIBRARY_PATH, then the system paths.
  void* library = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  std::string reason;
  if (library == nullptr) {
    const char* text = dlerror();
    reason = text != nullptr ? text : "cannot load " + file;
  }
  // Sanitizer runtimes intercept dlopen, and the loader then searches the interceptor's RUNPATH
  // instead of ours; our own folder is what an $ORIGIN RUNPATH would have found.
  if (library == nullptr && file.find('/') == std::string::npos) {
    const std::string folder = OwnFolder();
    if (!folder.empty()) {
      library = dlopen((folder + file).c_str(), RTLD_NOW | RTLD_LOCAL);
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
