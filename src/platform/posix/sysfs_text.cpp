// This file must contain only POSIX code.
#include "platform/posix/sysfs_text.h"

#include <algorithm>
#include <cstddef>

#include "platform/text.h"

namespace platform::sysfs {
namespace {

constexpr std::size_t kMaxInstanceIdBytes = 1024;
constexpr std::size_t kMaxTextChars = 255;

}  // namespace

std::map<std::string, std::string> ParseUevent(std::string_view text) {
  std::map<std::string, std::string> fields;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) {
      end = text.size();
    }
    const std::string line(text.substr(start, end - start));
    const std::size_t equals = line.find('=');
    if (equals != std::string_view::npos && equals > 0) {
      fields.emplace(line.substr(0, equals), line.substr(equals + 1));
    }
    start = end + 1;
  }
  return fields;
}

std::string TrimLineEnd(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ' || text.back() == '\t' ||
                           text.back() == '\r')) {
    text.pop_back();
  }
  return text;
}

// Digits compare as numbers, so that interface 1-2:1.10 comes after 1-2:1.9.
bool NaturalLess(const std::string& a, const std::string& b) {
  std::size_t i = 0;
  std::size_t j = 0;
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  while (i < a.size() && j < b.size()) {
    if (digit(a[i]) && digit(b[j])) {
      std::size_t ei = i;
      std::size_t ej = j;
      while (ei < a.size() && a[ei] == '0') ++ei;
      while (ej < b.size() && b[ej] == '0') ++ej;
      std::size_t ni = ei;
      std::size_t nj = ej;
      while (ni < a.size() && digit(a[ni])) ++ni;
      while (nj < b.size() && digit(b[nj])) ++nj;
      if (ni - ei != nj - ej) {
        return ni - ei < nj - ej;
      }
      const int order = a.compare(ei, ni - ei, b, ej, nj - ej);
      if (order != 0) {
        return order < 0;
      }
      i = ni;
      j = nj;
    } else {
      if (a[i] != b[j]) {
        return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
      }
      ++i;
      ++j;
    }
  }
  return a.size() - i < b.size() - j;
}

// "/devices/a/b": rooted below /devices, no empty, "." or ".." parts, no control characters.
bool IsDevicePath(const std::string& path) {
  if (path.size() > kMaxInstanceIdBytes || path.rfind("/devices/", 0) != 0) {
    return false;
  }
  std::size_t start = 1;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string_view::npos) {
      end = path.size();
    }
    const std::string part = path.substr(start, end - start);
    if (part.empty() || part == "." || part == "..") {
      return false;
    }
    start = end + 1;
  }
  return std::none_of(path.begin(), path.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

// Untrusted text for a node record: one line, of bounded length.
std::u16string CleanText(const std::string& narrow) {
  std::u16string text = Widen(narrow);
  for (char16_t& c : text) {
    if (c < 0x20 || c == 0x7F) {
      c = u' ';
    }
  }
  if (text.size() > kMaxTextChars) {
    text.resize(kMaxTextChars);
    if (text.back() >= 0xD800 && text.back() <= 0xDBFF) {
      text.pop_back();
    }
  }
  return text;
}

}  // namespace platform::sysfs
