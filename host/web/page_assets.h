// The dashboard's page, compiled into the program: no file to install, nothing fetched from elsewhere.
#pragma once

#include <string_view>

namespace vesk_host {

struct PageAsset {
  std::string_view path;          // "/", "/dashboard.css", ...
  std::string_view contentType;
  std::string_view body;
};

// Nothing for a path that is not part of the page.
const PageAsset* FindPageAsset(std::string_view path);

}  // namespace vesk_host
