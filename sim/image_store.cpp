#include "sim/image_store.h"

#include <fstream>
#include <random>
#include <string>

#include "sim/scenario_text.h"

namespace vesksim {
namespace {

constexpr const char* kImageFile = "image.vsk";

// A new folder of a random name under the temporary folder, created by this call alone (a name that
// exists already is never reused), or empty.
std::filesystem::path MakeTempFolder() {
  std::error_code error;
  const std::filesystem::path parent = std::filesystem::temp_directory_path(error);
  if (error) {
    return {};
  }
  std::random_device seed;
  std::mt19937_64 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path folder = parent / ("vesksim-" + std::to_string(random() % 1000000000000ull));
    if (std::filesystem::create_directory(folder, error)) {
      std::filesystem::permissions(folder, std::filesystem::perms::owner_all, error);  // as mkdtemp makes it
      return folder;
    }
  }
  return {};
}

}  // namespace

ImageStore::~ImageStore() {
  if (!temp_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(temp_, ignored);
  }
}

bool ImageStore::Populate(const std::vector<ImageSpec>& images, const std::string& existingFolder) {
  std::error_code error;
  if (!existingFolder.empty()) {
    store_ = std::filesystem::path(existingFolder);
    return true;
  }
  if (temp_.empty()) {
    temp_ = MakeTempFolder();
    if (temp_.empty()) {
      return false;
    }
  }
  store_ = temp_ / "images";
  // The old store is moved aside, not deleted: deleting directories takes milliseconds on a busy
  // disk, and a connect of the instant simulator should cost the module nothing. The folders set
  // aside go with the temporary directory.
  if (std::filesystem::exists(store_, error)) {
    std::filesystem::rename(store_, temp_ / ("replaced-" + std::to_string(++replaced_)), error);
    if (error) {
      std::filesystem::remove_all(store_, error);
    }
  }
  if (!std::filesystem::create_directories(store_, error)) {
    return false;
  }
  for (const ImageSpec& image : images) {
    const auto folder = store_ / image.folder;
    if (!image.linkTarget.empty()) {
      std::filesystem::create_directories(folder.parent_path(), error);
      std::filesystem::create_directory_symlink(image.linkTarget, folder, error);
      if (error) {
        return false;
      }
      continue;
    }
    if (!std::filesystem::create_directories(folder, error) && error) {
      return false;
    }
    if (!image.hasImage) {
      continue;
    }
    std::ofstream file(folder / kImageFile);
    file << "firmware_id = " << image.info.firmwareId << "\n"
         << "technology = " << image.info.technology << "\n"
         << "carrier = " << image.info.carrier << "\n"
         << "region = " << image.info.region << "\n"
         << "gps = " << image.info.gpsCapability << "\n";
    if (!file) {
      return false;
    }
  }
  return true;
}

std::optional<FirmwareInfo> ImageStore::ReadImage(const std::filesystem::path& folder) {
  std::ifstream file(folder / kImageFile);
  if (!file) {
    return std::nullopt;
  }
  FirmwareInfo info;
  int found = 0;
  std::string line;
  while (std::getline(file, line)) {
    const size_t equals = line.find('=');
    if (equals == std::string::npos) {
      continue;
    }
    const std::string_view key = Trim(std::string_view(line).substr(0, equals));
    const auto value = ParseInRange(Trim(std::string_view(line).substr(equals + 1)), 0, UINT32_MAX);
    if (!value) {
      return std::nullopt;
    }
    const auto number = static_cast<uint32_t>(*value);
    if (key == "firmware_id") {
      info.firmwareId = number;
    } else if (key == "technology") {
      info.technology = number;
    } else if (key == "carrier") {
      info.carrier = number;
    } else if (key == "region") {
      info.region = number;
    } else if (key == "gps") {
      info.gpsCapability = number;
    } else {
      continue;
    }
    ++found;
  }
  if (found != 5) {
    return std::nullopt;
  }
  return info;
}

}  // namespace vesksim
