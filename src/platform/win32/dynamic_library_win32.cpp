// This file must contain only Win32 code.
#include "platform/dynamic_library.h"

#include <windows.h>

#include <string>

#include "platform/text.h"
#include "platform/win32/win32_error.h"

namespace platform {

struct DynamicLibrary::Handle {
  HMODULE library = nullptr;
};

DynamicLibrary::DynamicLibrary() = default;

DynamicLibrary::~DynamicLibrary() {
  Unload();
}

namespace {

std::wstring WidePath(const std::string& name) {
  std::u16string wide = Widen(name);
  for (char16_t& c : wide) {
    c = c == u'/' ? u'\\' : c;  // the loader takes only backslashes as separators
  }
  return std::wstring(wide.begin(), wide.end());
}

// The folder of the binary that holds this code, with a trailing backslash, or empty if unknown.
std::wstring OwnFolder() {
  HMODULE self = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCWSTR>(&OwnFolder), &self)) {
    return std::wstring();
  }
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(self, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) {
      return std::wstring();
    }
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

}  // namespace

// Windows loads DLLs by their own names.
std::string DynamicLibrary::PlatformFileName(const std::string& name) {
  return name;
}

bool DynamicLibrary::Load(const std::string& name, std::string* error) {
  Unload();
  const std::wstring file = WidePath(name);
  // A bare name goes through the loader's search: the program's folder, the system folders, the
  // current folder and PATH. No error boxes for a missing or broken file.
  const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE library = LoadLibraryW(file.c_str());
  const DWORD reason = library == nullptr ? GetLastError() : 0;
  // The module's own folder is where an installed copy keeps the vendor libraries beside it.
  if (library == nullptr && file.find_first_of(L"\\:") == std::wstring::npos) {
    const std::wstring folder = OwnFolder();
    if (!folder.empty()) {
      library = LoadLibraryExW((folder + file).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
  }
  SetErrorMode(previousMode);
  if (library == nullptr) {
    if (error != nullptr) {
      *error = "cannot load " + name + ": " + win32::ErrorText(reason);
    }
    return false;
  }
  handle_ = std::make_unique<Handle>();
  handle_->library = library;
  return true;
}

bool DynamicLibrary::LoadIfAlreadyLoaded(const std::string& name) {
  Unload();
  HMODULE library = nullptr;
  if (!GetModuleHandleExW(0, WidePath(name).c_str(), &library) || library == nullptr) {
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
  return reinterpret_cast<void*>(GetProcAddress(handle_->library, name));
}

void DynamicLibrary::Unload() {
  if (handle_ != nullptr) {
    FreeLibrary(handle_->library);
    handle_.reset();
  }
}

}  // namespace platform
