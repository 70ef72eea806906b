// The two simulator files, loaded from the build's bin folder by path under their platform file names.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "platform/dynamic_library.h"

namespace simtest {

// Never unloaded: on Windows a library's unload runs under the loader lock, where the simulator could
// not wait for its threads to end.
inline const platform::DynamicLibrary& LoadSimFile(const char* name) {
  auto* library = new platform::DynamicLibrary;
  std::string error;
  if (!library->Load(std::string(VESK_SIM_BIN_DIR) + "/" + platform::DynamicLibrary::PlatformFileName(name),
                     &error)) {
    ADD_FAILURE() << error;
  }
  return *library;
}

// QCWWAN2k.dll (generation 2) or QCWWAN.dll (1) as a Wrapper made from it; both loaded once.
template <typename Wrapper>
const Wrapper& SimFile(int generation) {
  static const Wrapper second(LoadSimFile("QCWWAN2k.dll"));
  static const Wrapper first(LoadSimFile("QCWWAN.dll"));
  return generation == 2 ? second : first;
}

}  // namespace simtest
