#include "platform/path.h"

namespace platform {
namespace {

#ifdef _WIN32
constexpr char16_t kSeparator = u'\\';
#else
constexpr char16_t kSeparator = u'/';
#endif

}  // namespace

bool IsPathSeparator(char16_t c) {
#ifdef _WIN32
  return c == u'\\' || c == u'/';
#else
  return c == u'/';
#endif
}

std::u16string JoinPath(const std::u16string& folder, const std::u16string& name) {
  std::u16string joined = folder;
  if (!joined.empty() && !IsPathSeparator(joined.back())) {
    joined += kSeparator;
  }
  return joined + name;
}

bool IsBelow(const std::u16string& path, const std::u16string& folder) {
  if (folder.empty() || path.size() <= folder.size() || path.compare(0, folder.size(), folder) != 0) {
    return false;
  }
  // A folder written with its closing separator (a drive's root, "/") already ends at a boundary.
  return IsPathSeparator(folder.back()) || IsPathSeparator(path[folder.size()]);
}

}  // namespace platform
