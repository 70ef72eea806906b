// A shared library loaded at run time by its Windows-style name.
#pragma once

#include <memory>
#include <string>

namespace platform {

class DynamicLibrary {
 public:
  DynamicLibrary();
  ~DynamicLibrary();  // unloads
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;

  // "X.dll" -> "libX.so"; other names are returned unchanged.
  static std::string PlatformFileName(const std::string& name);

  // Loads the platform file for name through the dynamic loader's own search. On failure returns
  // false and, if error is given, the loader's reason.
  bool Load(const std::string& name, std::string* error = nullptr);
  bool IsLoaded() const;

  // The address of an exported symbol, or null.
  void* Symbol(const char* name) const;

  void Unload();

 private:
  struct Handle;
  std::unique_ptr<Handle> handle_;
};

}  // namespace platform
