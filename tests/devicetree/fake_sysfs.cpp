#include "fake_sysfs.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>

namespace devicetree_test {

FakeSysfs::FakeSysfs() {
  std::string pattern = (std::filesystem::temp_directory_path() / "sysfs-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    ADD_FAILURE() << "cannot make " << pattern;
  }
  root_ = pattern;
  std::filesystem::create_directories(root_ + "/devices");
}

FakeSysfs::~FakeSysfs() {
  std::error_code error;
  std::filesystem::permissions(root_, std::filesystem::perms::owner_all, error);
  std::filesystem::remove_all(root_, error);
}

void FakeSysfs::Write(const std::string& devPath, const std::string& file, const std::string& text) {
  std::ofstream(Path(devPath) / file) << text;
}

void FakeSysfs::Device(const std::string& devPath, std::initializer_list<const char*> uevent,
                       std::initializer_list<std::pair<const char*, std::string>> attributes) {
  std::filesystem::create_directories(Path(devPath));
  std::string text;
  for (const char* line : uevent) {
    text += std::string(line) + "\n";
  }
  Write(devPath, "uevent", text);
  for (const auto& [name, value] : attributes) {
    Write(devPath, name, value + "\n");
  }
}

void FakeSysfs::AddModem() {
  Device(kModem, {"DEVTYPE=usb_device", "DRIVER=usb", "SUBSYSTEM=usb"},
         {{"idVendor", "ffff"},
          {"idProduct", "2000"},
          {"bcdDevice", "0001"},
          {"manufacturer", "Vesk Wireless"},
          {"product", "Vesk 2000"}});
  Device(kNetInterface, {"DEVTYPE=usb_interface", "DRIVER=qmi_wwan", "SUBSYSTEM=usb"},
         {{"bInterfaceNumber", "00"}, {"interface", "Vesk Network Adapter"}});
  Device(kWwan, {"DEVTYPE=wwan", "INTERFACE=wwan0", "SUBSYSTEM=net"});
  Device(kNmeaInterface, {"DEVTYPE=usb_interface", "DRIVER=option", "SUBSYSTEM=usb"},
         {{"bInterfaceNumber", "02"}, {"interface", "Vesk NMEA Port"}});
  Device(std::string(kNmeaInterface) + "/ttyUSB1", {"DRIVER=option1", "SUBSYSTEM=usb-serial"});
  Device(kNmeaTty, {"SUBSYSTEM=tty"});
}

}  // namespace devicetree_test
