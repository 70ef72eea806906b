// A sysfs of our own in a temporary folder, removed with the object: devices are folders with a
// uevent and attribute files, as the kernel lays them out.
#pragma once

#include <filesystem>
#include <initializer_list>
#include <string>
#include <utility>

namespace devicetree_test {

class FakeSysfs {
 public:
  FakeSysfs();
  ~FakeSysfs();
  FakeSysfs(const FakeSysfs&) = delete;
  FakeSysfs& operator=(const FakeSysfs&) = delete;

  const std::string& root() const { return root_; }
  std::filesystem::path Path(const std::string& devPath) const { return root_ + devPath; }

  // A device folder (and the folders above it) with these uevent lines and attributes.
  void Device(const std::string& devPath, std::initializer_list<const char*> uevent,
              std::initializer_list<std::pair<const char*, std::string>> attributes = {});
  void Write(const std::string& devPath, const std::string& file, const std::string& text);

  // A USB modem in port 1-1: interface 0 with the network adapter wwan0, interface 2 with the NMEA
  // port ttyUSB1 behind its usb-serial device.
  static constexpr char kModem[] = "/devices/pci0000:00/0000:00:14.0/usb1/1-1";
  static constexpr char kNetInterface[] = "/devices/pci0000:00/0000:00:14.0/usb1/1-1/1-1:1.0";
  static constexpr char kWwan[] = "/devices/pci0000:00/0000:00:14.0/usb1/1-1/1-1:1.0/net/wwan0";
  static constexpr char kNmeaInterface[] = "/devices/pci0000:00/0000:00:14.0/usb1/1-1/1-1:1.2";
  static constexpr char kNmeaTty[] = "/devices/pci0000:00/0000:00:14.0/usb1/1-1/1-1:1.2/ttyUSB1/tty/ttyUSB1";
  void AddModem();

 private:
  std::string root_;
};

}  // namespace devicetree_test
