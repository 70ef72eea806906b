#include "platform/dynamic_library.h"

#include <cctype>

namespace platform {

std::string DynamicLibrary::PlatformFileName(const std::string& name) {
  static constexpr char kSuffix[] = ".dll";
  constexpr std::size_t kSuffixLength = sizeof(kSuffix) - 1;
  const std::size_t slash = name.find_last_of('/');
  const std::size_t fileStart = slash == std::string::npos ? 0 : slash + 1;
  if (name.size() - fileStart <= kSuffixLength) {
    return name;  // no stem before the suffix
  }
  const std::size_t suffixStart = name.size() - kSuffixLength;
  for (std::size_t i = 0; i < kSuffixLength; ++i) {
    if (std::tolower(static_cast<unsigned char>(name[suffixStart + i])) != kSuffix[i]) {
      return name;
    }
  }
  return name.substr(0, fileStart) + "lib" + name.substr(fileStart, suffixStart - fileStart) + ".so";
}

}  // namespace platform
