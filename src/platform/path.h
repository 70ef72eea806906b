// Paths as the system writes them: the separator between a folder and an entry is '/' on POSIX and
// '\' on Windows (which also accepts '/').
#pragma once

#include <string>

namespace platform {

bool IsPathSeparator(char16_t c);
// folder and name joined with the system's separator; none is added after one that folder ends with.
std::u16string JoinPath(const std::u16string& folder, const std::u16string& name);
// Whether path names something strictly below folder, both compared as written (pass canonical
// paths for a check that links cannot fool).
bool IsBelow(const std::u16string& path, const std::u16string& folder);

}  // namespace platform
