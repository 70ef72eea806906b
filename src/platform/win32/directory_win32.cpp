// This file must contain only Win32 code.
#include "platform/directory.h"

#include <windows.h>

#include <algorithm>

namespace platform {
namespace {

std::wstring Wide(std::u16string_view text) {
  return std::wstring(text.begin(), text.end());
}

std::u16string Sixteen(std::wstring_view text) {
  return std::u16string(text.begin(), text.end());
}

}  // namespace

uint32_t ListDirectory(const std::u16string& path, std::vector<DirectoryEntry>* entries) {
  entries->clear();
  std::wstring pattern = Wide(path);
  if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/') {
    pattern += L'\\';
  }
  pattern += L'*';
  WIN32_FIND_DATAW found{};
  const HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                         nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error != 0 ? error : 1u;
  }
  DWORD error = 0;
  do {
    const std::wstring_view name = found.cFileName;
    if (name == L"." || name == L"..") {
      continue;
    }
    DirectoryEntry entry;
    entry.name = Sixteen(name);
    // A symbolic link, a junction or another reparse point that names a place elsewhere; a link to a
    // directory carries the directory attribute itself. Wine shows a POSIX symbolic link as a reparse
    // point without a tag (0 is no tag Windows gives): one that may lead anywhere counts as a link.
    const DWORD tag = found.dwReserved0;
    entry.isLink = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
                   (tag == 0 || IsReparseTagNameSurrogate(tag));
    entry.isDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entries->push_back(std::move(entry));
  } while (FindNextFileW(search, &found));
  error = GetLastError();
  FindClose(search);
  // What was read before an error is kept, in the same order as a complete listing.
  std::sort(entries->begin(), entries->end(),
            [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
  if (error != ERROR_NO_MORE_FILES) {
    return error != 0 ? error : 1u;
  }
  return 0;
}

std::u16string CanonicalPath(const std::u16string& path) {
  const HANDLE file = CreateFileW(Wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return std::u16string();
  }
  std::wstring resolved(MAX_PATH, L'\0');
  DWORD length = GetFinalPathNameByHandleW(file, resolved.data(), static_cast<DWORD>(resolved.size()), 0);
  if (length >= resolved.size()) {
    resolved.resize(length + 1);
    length = GetFinalPathNameByHandleW(file, resolved.data(), static_cast<DWORD>(resolved.size()), 0);
  }
  CloseHandle(file);
  if (length == 0 || length >= resolved.size()) {
    return std::u16string();
  }
  resolved.resize(length);
  // "\\?\C:\x" -> "C:\x"; "\\?\UNC\server\share" -> "\\server\share".
  if (resolved.starts_with(L"\\\\?\\UNC\\")) {
    resolved = L"\\\\" + resolved.substr(8);
  } else if (resolved.starts_with(L"\\\\?\\")) {
    resolved = resolved.substr(4);
  }
  return Sixteen(resolved);
}

}  // namespace platform
