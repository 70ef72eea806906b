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

constexpr char kForce[] = "--force";

std::string PathOf(const ImageRecord& image) {
  std::size_t length = 0;
  while (length < kHostTextLength && image.path[length] != u'\0') {
    ++length;
  }
  return platform::Narrow(std::u16string_view(image.path, length));
}

bool EndsWithFolder(const std::string& path, const std::string& folder) {
  return path.size() > folder.size() && path.compare(path.size() - folder.size(), folder.size(), folder) == 0 &&
         (path[path.size() - folder.size() - 1] == '/' || path[path.size() - folder.size() - 1] == '\\');
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
  std::vector<std::pair<std::string, std::string>> values;
  for (std::size_t i = 0; i < images.size(); ++i) {
    const ImageRecord& image = images[i];
    char numbers[160];
    std::snprintf(numbers, sizeof numbers, "firmware %u, technology %u, carrier %u, region %u, GPS %u",
                  image.firmwareId, image.technology, image.carrier, image.region, image.gpsCapability);
    lines.push_back(std::string(image.active ? "  * " : "    ") + std::to_string(i) + "  " + PathOf(image) + "  (" +
                    numbers + ")");
    values.emplace_back(PathOf(image), image.active ? "running" : "");
  }
  CommandResult result = Ok(std::move(lines));
  result.values = std::move(values);
  return result;
}

// A path that is not absolute may name a listed image by its last folders ("generic-cdma"), since the
// store's own path is the library's to choose.
CommandResult Switch(HostSession& session, const std::vector<std::string>& args) {
  IVeskSDK* vesk = session.sdk->GetVeskSDK();
  const bool force = args.size() == 2 && args[1] == kForce;
  if ((args.size() != 1 && !force) || args[0].empty() || vesk == nullptr) {
    return Usage();
  }
  std::string path = args[0];
  bool running = false;
  std::vector<ImageRecord> images;
  if (vesk->GetImageList(&images)) {
    for (const ImageRecord& image : images) {
      // A folder's end matches after either separator: Windows lists images with backslashes.
      const bool relative = path.front() != '/' && path.front() != '\\';
      if (PathOf(image) == path || (relative && EndsWithFolder(PathOf(image), path))) {
        path = PathOf(image);
        running = image.active;
        break;
      }
    }
  }
  // Switching to the running image flashes it again and restarts the modem for nothing.
  if (running && !force) {
    return Failed(path + " is the running image (--force switches to it again)");
  }
  const std::u16string wide = platform::Widen(path);
  const bool result = vesk->StartImageSwitchingProcess(wide.c_str());
  return result ? Ok({"switch: started " + path}) : Failed("the module refused it (the trace says why)");
}

}  // namespace

void AddImageCommands(CommandTable& table) {
  table.Add({"images", "", "list the modem's firmware images; * marks the running one", Images, Needs::kAttachedModem});
  table.Add({"switch", "PATH [--force]",
             "switch the modem to the image in folder PATH (or the listed image whose folder ends in PATH); "
             "the running image only with --force",
             Switch, Needs::kAttachedModem});
}

}  // namespace vesk_host
