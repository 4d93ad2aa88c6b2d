// Port names on Windows through set.ini: a bare device name in [devices] is
// one of the system's devices, and without an entry COMn is \\.\COMn, never
// a POSIX device path.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "model/file_io.h"
#include "settings/port_mapping.h"

namespace vk47 {
namespace {

namespace fs = std::filesystem;

TEST(WindowsPortMapping, SetIniNamesAndBuiltInDevices) {
  const fs::path ini = fs::temp_directory_path() / "vk47-port-names.ini";
  ASSERT_TRUE(WriteFileAtomically(ini, "[devices]\r\ncom2=COM7\r\ncom3=\\\\.\\COM12\r\n"));
  const std::string path = PathText(ini);
  const PortProbe anything = [](const std::string&) { return PortPresence::kPresent; };

  EXPECT_EQ(ResolvePortDevice("com1", path, anything).device, "\\\\.\\COM1");
  EXPECT_EQ(ResolvePortDevice("COM2", path, anything).device, "\\\\.\\COM7");
  EXPECT_EQ(ResolvePortDevice("com3", path, anything).device, "\\\\.\\COM12");
  EXPECT_EQ(ResolvePortDevice("com4", path, anything).device, "\\\\.\\COM4");
  EXPECT_EQ(PortCandidates("com2", path, anything).front().source, "set.ini [devices] com2");
  EXPECT_TRUE(ResolvePortDevice("com5", path, anything).refused());
  fs::remove(ini);
}

}  // namespace
}  // namespace vk47
