// images, switch: the modem's firmware images and switching to another one.
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "host/commands/command_table.h"
#include "platform/text.h"
#include "vesk/records.h"

namespace vesk_host {

namespace {

std::string PathOf(const ImageRecord& image) {
  std::size_t length = 0;
  while (length < kHostTextLength && image.path[length] != u'\0') {
    ++length;
  }
  return platform::Narrow(std::u16string_view(image.path, length));
}

bool EndsWithFolder(const std::string& path, const std::string& folder) {
  return path.size() > folder.size() && path.compare(path.size() - folder.size(), folder.size(), folder) == 0 &&
         path[path.size() - folder.size() - 1] == '/';
}

CommandResult Images(HostSession& session, const std::vector<std::string>& args) {
  IVeskSDK* vesk = session.sdk->GetVeskSDK();
  std::vector<ImageRecord> images;
  if (!args.empty() || vesk == nullptr) {
    return Usage();
  }
  if (!vesk->GetImageList(&images)) {
    return Failed("the module has no image list: is a modem attached?");
  }
  std::vector<std::string> lines{"images: " + std::to_string(images.size()) + " (* marks the running one)"};
  for (std::size_t i = 0; i < images.size(); ++i) {
    const ImageRecord& image = images[i];
    char numbers[160];
    std::snprintf(numbers, sizeof numbers, "firmware %u, technology %u, carrier %u, region %u, GPS %u",
                  image.firmwareId, image.technology, image.carrier, image.region, image.gpsCapability);
    lines.push_back(std::string(image.active ? "  * " : "    ") + std::to_string(i) + "  " + PathOf(image) + "  (" +
                    numbers + ")");
  }
  return Ok(std::move(lines));
}

// A path that is not absolute may name a listed image by its last folders ("generic-cdma"), since the
// store's own path is the library's to choose.
CommandResult Switch(HostSession& session, const std::vector<std::string>& args) {
  IVeskSDK* vesk = session.sdk->GetVeskSDK();
  if (args.size() != 1 || args[0].empty() || vesk == nullptr) {
    return Usage();
  }
  std::string path = args[0];
  std::vector<ImageRecord> images;
  if (path.front() != '/' && vesk->GetImageList(&images)) {
    for (const ImageRecord& image : images) {
      if (EndsWithFolder(PathOf(image), path)) {
        path = PathOf(image);
        break;
      }
    }
  }
  const std::u16string wide = platform::Widen(path);
  const bool result = vesk->StartImageSwitchingProcess(wide.c_str());
  return result ? Ok({"switch: started " + path}) : Failed("the module refused it (the trace says why)");
}

}  // namespace

void AddImageCommands(CommandTable& table) {
  table.Add({"images", "", "list the modem's firmware images; * marks the running one", Images});
  table.Add({"switch", "PATH",
             "switch the modem to the image in folder PATH (or the listed image whose folder ends in PATH)",
             Switch});
}

}  // namespace vesk_host
