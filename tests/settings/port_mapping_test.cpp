#include "settings/port_mapping.h"

#include <gtest/gtest.h>

#include <set>

#include "tests/settings/temp_folder.h"

namespace vk47 {
namespace {

using test::TempFolder;
using test::WriteBytes;

struct Row {
  const char* name;
  std::string portname;
  std::string ini;                  // contents of set.ini, "" for none
  std::set<std::string> existing;   // devices that exist
  std::string device;
};

TEST(PortMapping, ResolvesNamesToDevices) {
  const std::string devices = "[comport]\r\nname=2\r\n[Devices]\r\nCOM3=/dev/serial/by-id/robot\r\n"
                              "com2=ttyUSB9\r\ncom4=\r\n";
  const Row rows[] = {
      {"set.ini entry", "com3", devices, {}, "/dev/serial/by-id/robot"},
      {"set.ini entry, upper-case name", "COM3", devices, {"/dev/ttyUSB2"},
       "/dev/serial/by-id/robot"},
      {"set.ini entry without folder", "Com2", devices, {}, "/dev/ttyUSB9"},
      {"empty entry falls back", "com4", devices, {"/dev/ttyS3"}, "/dev/ttyS3"},
      {"USB adapter first", "com1", "", {"/dev/ttyUSB0", "/dev/ttyACM0", "/dev/ttyS0"},
       "/dev/ttyUSB0"},
      {"then CDC-ACM", "com1", "", {"/dev/ttyACM0", "/dev/ttyS0"}, "/dev/ttyACM0"},
      {"then built-in", "COM1", "", {"/dev/ttyS0"}, "/dev/ttyS0"},
      {"nothing exists", "com2", "", {}, "/dev/ttyUSB1"},
      {"two digits", "com12", "", {"/dev/ttyS11"}, "/dev/ttyS11"},
      {"absolute path", "/dev/pts/7", devices, {}, "/dev/pts/7"},
      {"com0 unchanged", "com0", "", {"/dev/ttyS0"}, "com0"},
      {"leading zero unchanged", "com01", "", {}, "com01"},
      {"other name unchanged", "modem", "", {}, "modem"},
  };
  TempFolder dir;
  const std::string ini = dir / "set.ini";
  for (const Row& row : rows) {
    if (row.ini.empty()) std::filesystem::remove(ini);
    else WriteBytes(ini, row.ini);
    const DeviceExists exists = [&](const std::string& d) { return row.existing.contains(d); };
    EXPECT_EQ(ResolvePortDevice(row.portname, ini, exists), row.device) << row.name;
  }
}

TEST(PortMapping, ListsWhatWasConsideredAndWhy) {
  TempFolder dir;
  const DeviceExists only_acm = [](const std::string& d) { return d == "/dev/ttyACM1"; };
  const std::vector<PortCandidate> fallback = PortCandidates("com2", dir / "set.ini", only_acm);
  ASSERT_EQ(fallback.size(), 3u);
  EXPECT_EQ(fallback[0].device, "/dev/ttyUSB1");
  EXPECT_FALSE(fallback[0].exists);
  EXPECT_EQ(fallback[1].device, "/dev/ttyACM1");
  EXPECT_TRUE(fallback[1].exists);
  EXPECT_EQ(fallback[2].device, "/dev/ttyS1");
  EXPECT_EQ(ChoosePortCandidate(fallback).device, "/dev/ttyACM1");

  WriteBytes(dir / "set.ini", "[devices]\ncom2=/dev/robot\n");
  const std::vector<PortCandidate> configured = PortCandidates("com2", dir / "set.ini", only_acm);
  ASSERT_EQ(configured.size(), 1u) << "a configured device is the only choice";
  EXPECT_EQ(configured[0].device, "/dev/robot");
  EXPECT_FALSE(configured[0].exists);
  EXPECT_EQ(configured[0].source, "set.ini [devices] com2");
}

TEST(PortMapping, ChecksTheRealFileSystemByDefault) {
  TempFolder dir;
  WriteBytes(dir / "tty", "");
  EXPECT_TRUE(DeviceExistsOnDisk(dir / "tty"));
  EXPECT_FALSE(DeviceExistsOnDisk(dir / "none"));
  EXPECT_EQ(ResolvePortDevice(dir / "tty", dir / "set.ini"), dir / "tty");
}

}  // namespace
}  // namespace vk47
