// Directory listing for walks that must not wander: each entry says whether it is a directory and
// whether it is a symbolic link, without following the link.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct DirectoryEntry {
  std::u16string name;
  bool isDirectory = false;  // a directory itself, or a link that leads to one
  bool isLink = false;
};

// Lists path's entries ("." and ".." never appear) in name order. Returns 0, or the system's error
// number when the directory cannot be read (entries then holds what was read before the error).
uint32_t ListDirectory(const std::u16string& path, std::vector<DirectoryEntry>* entries);

// path with every link resolved, or empty text when it cannot be resolved.
std::u16string CanonicalPath(const std::u16string& path);

}  // namespace platform
