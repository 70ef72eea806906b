// Loads the plug-in module at run time, as a connection-manager host does, and finds ConstructSDK.
#pragma once

#include <string>
#include <vector>

#include "vesk/host_interfaces.h"

namespace vesk_host {

class ModuleLoader {
 public:
  // libvesk_plugin.so, or vesk_plugin.dll on Windows.
  static std::string ModuleFileName();

  ModuleLoader() = default;
  ModuleLoader(const ModuleLoader&) = delete;
  ModuleLoader& operator=(const ModuleLoader&) = delete;

  // The places tried in turn when no path is given: beside this executable, the library folder of an
  // installed copy (../lib), then the dynamic loader's own search.
  static std::vector<std::string> Candidates();

  // Loads the module from path, or from the first candidate that loads when path is empty. On failure
  // returns false with the reasons in *error.
  bool Load(const std::string& path, std::string* error);

  ConstructSDKFn constructSDK() const { return constructSDK_; }
  const std::string& path() const { return path_; }

 private:
  ConstructSDKFn constructSDK_ = nullptr;
  std::string path_;
};

}  // namespace vesk_host
