// The image store: a folder under a temporary directory of the simulator's own, one sub-folder per
// firmware image, each holding an image file ("image.vsk", "key = value" lines) that describes it.
// The folder is made on first use and removed with the simulator. A scenario may name a folder of
// its own instead, which is used as it stands and never changed.
#pragma once

#include <filesystem>
#include <optional>
#include <vector>

#include "sim/modem_model.h"

namespace vesksim {

class ImageStore {
 public:
  ImageStore() = default;
  ~ImageStore();
  ImageStore(const ImageStore&) = delete;
  ImageStore& operator=(const ImageStore&) = delete;

  // Replaces the store's content with these images, or makes existingFolder (as written, a closing
  // separator included) the store when it is not empty. False when the folder cannot be written.
  bool Populate(const std::vector<ImageSpec>& images, const std::string& existingFolder = {});

  // Empty until the first Populate succeeded.
  std::filesystem::path Path() const { return store_; }

  // The image in folder, or nothing when it holds no readable image file.
  static std::optional<FirmwareInfo> ReadImage(const std::filesystem::path& folder);

 private:
  std::filesystem::path temp_;
  std::filesystem::path store_;
  unsigned replaced_ = 0;  // stores replaced so far, kept under temp_ until the simulator goes
};

}  // namespace vesksim
