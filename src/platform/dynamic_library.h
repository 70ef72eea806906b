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

  // The file name of a library on this platform: "X.dll" -> "libX.so" on POSIX systems; on
  // Windows, and for other names, the name unchanged.
  static std::string PlatformFileName(const std::string& name);

  // Loads the platform file for name through the dynamic loader's own search, then from the folder
  // of the binary holding this code, then (POSIX) from its private subfolder "vesk-plugin/". On
  // failure returns false and, if error is given, the loader's reason, naming the file and, for a
  // bare name, each place looked in.
  bool Load(const std::string& name, std::string* error = nullptr);
  // Takes a reference to the platform file for name only if the process has it loaded already.
  bool LoadIfAlreadyLoaded(const std::string& name);
  bool IsLoaded() const;

  // Forgets the library without unloading it: it stays for the life of the process (a module whose
  // threads may outlast its last user).
  void KeepLoaded();

  // The address of an exported symbol, or null.
  void* Symbol(const char* name) const;

  void Unload();

 private:
  struct Handle;
  std::unique_ptr<Handle> handle_;
};

}  // namespace platform
