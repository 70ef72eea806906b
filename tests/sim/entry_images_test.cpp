#include <filesystem>
#include <set>
#include <string>
#include <thread>

#include "sim_library.h"

namespace simtest {
namespace {

using ImagesTest = SimTest;

std::u16string Wide(const std::string& text) {
  return std::u16string(text.begin(), text.end());
}

std::string StorePath(const SimLibrary& lib) {
  WCHAR path[261] = {};
  EXPECT_EQ(0u, CALL(lib, GetImageStoreW, 260, path));
  const std::u16string wide(path);
  return std::string(wide.begin(), wide.end());
}

TEST_F(ImagesTest, StoreFoldersDescribeTheirImagesAndAFolderWithoutOneFailsToOpen) {
  ASSERT_EQ(0, lib_.LoadScenario("[images]\numts = 3 1 201 0 1\ncarriers/cdma = 4 0 1 2 0\nempty = none\n"));
  ASSERT_EQ(0u, CALL(lib_, QCWWANConnect));
  const std::string store = StorePath(lib_);
  ASSERT_TRUE(std::filesystem::is_directory(store)) << store;

  std::set<std::string> folders;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(store)) {
    if (entry.is_directory()) {
      folders.insert(std::filesystem::relative(entry.path(), store).string());
    }
  }
  EXPECT_EQ((std::set<std::string>{"umts", "carriers", "carriers/cdma", "empty"}), folders);

  ULONG id = 0, technology = 9, carrier = 0, region = 0, gps = 9;
  // A Windows-style separator in the client's path is understood.
  ASSERT_EQ(0u, CALL(lib_, GetImageInfoW, Wide(store + "\\carriers/cdma").c_str(), &id, &technology, &carrier,
                     &region, &gps));
  EXPECT_EQ(4u, id);
  EXPECT_EQ(0u, technology);
  EXPECT_EQ(2u, region);
  EXPECT_EQ(FILE_OPEN_FAILED, CALL(lib_, GetImageInfoW, Wide(store + "/empty").c_str(), &id, &technology,
                                   &carrier, &region, &gps));
}

TEST_F(ImagesTest, FlashingResetsTheModemWhichComesBackOnTheNewImage) {
  ConnectWithCallbacks();
  const std::string store = StorePath(lib_);
  ASSERT_EQ(0u, CALL(lib_, UpgradeFirmwareW, 0, Wide(store + "/generic-cdma").c_str()));
  ASSERT_TRUE(recorder_.WaitFor("power 4"));
  ASSERT_TRUE(recorder_.WaitFor("removal"));
  ULONG mode = 0;
  EXPECT_EQ(NO_WWAN_DEVICE, CALL(lib_, GetPower, &mode));
  EXPECT_EQ(NO_CONNECTION_TO_WWAN_DEVICE, CALL(lib_, QCWWANDisconnect));

  // The modem is back once a connect finds it again, after the library's own restart time.
  ULONG result = NO_WWAN_DEVICE;
  const auto deadline = std::chrono::steady_clock::now() + kTimeout;
  while (result != 0 && std::chrono::steady_clock::now() < deadline) {
    result = CALL(lib_, QCWWANConnect);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_EQ(0u, result);
  ULONG id = 0, technology = 9, carrier = 0, region = 0, gps = 0;
  ASSERT_EQ(0u, CALL(lib_, GetFirmwareInfo, &id, &technology, &carrier, &region, &gps));
  EXPECT_EQ(0u, technology);
  EXPECT_EQ(1u, carrier);
  ASSERT_EQ(0u, CALL(lib_, GetPower, &mode));
  EXPECT_EQ(0u, mode);
}

}  // namespace
}  // namespace simtest
