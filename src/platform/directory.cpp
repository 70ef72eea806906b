#include "platform/directory.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/text.h"

namespace platform {
namespace {

// A failure that carries no system error number still has to read as a failure.
uint32_t ErrorNumber(const std::error_code& error) {
  return error.value() != 0 ? static_cast<uint32_t>(error.value()) : 1u;
}

}  // namespace

uint32_t ListDirectory(const std::u16string& path, std::vector<DirectoryEntry>* entries) {
  entries->clear();
  std::error_code error;
  std::filesystem::directory_iterator it(std::filesystem::path(Narrow(path)), error);
  if (error) {
    return ErrorNumber(error);
  }
  for (const std::filesystem::directory_iterator end; it != end; it.increment(error)) {
    DirectoryEntry entry;
    entry.name = Widen(it->path().filename().string());
    std::error_code statusError;
    entry.isLink = it->is_symlink(statusError);
    entry.isDirectory = it->is_directory(statusError);  // follows a link; a dangling one is no directory
    entries->push_back(std::move(entry));
  }
  // What was read before an error is kept, in the same order as a complete listing.
  std::sort(entries->begin(), entries->end(),
            [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
  return error ? ErrorNumber(error) : 0;
}

std::u16string CanonicalPath(const std::u16string& path) {
  std::error_code error;
  const auto canonical = std::filesystem::canonical(std::filesystem::path(Narrow(path)), error);
  return error ? std::u16string() : Widen(canonical.string());
}

}  // namespace platform
