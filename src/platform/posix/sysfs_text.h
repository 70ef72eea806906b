// The pure text handling of the sysfs device tree: what it makes of the bytes it reads from sysfs
// files and link targets. Everything here treats its input as untrusted and is safe on any bytes.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace platform::sysfs {

// A uevent file's "KEY=value" lines; lines without a key or "=" are skipped, the first of two
// lines with the same key wins.
std::map<std::string, std::string> ParseUevent(std::string_view text);

// An attribute's value without trailing line ends, blanks and tabs.
std::string TrimLineEnd(std::string text);

// Digits compare as numbers, so that interface 1-2:1.10 comes after 1-2:1.9.
bool NaturalLess(const std::string& a, const std::string& b);

// "/devices/a/b": rooted below /devices, no empty, "." or ".." parts, no control characters.
bool IsDevicePath(const std::string& path);

// Untrusted text for a node record: one line, of bounded length, never ending in half a pair.
std::u16string CleanText(const std::string& narrow);

}  // namespace platform::sysfs
