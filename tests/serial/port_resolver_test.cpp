#include "serial/port_resolver.h"

#include <gtest/gtest.h>

#include <set>

namespace vk47 {
namespace {

TEST(PortResolverTest, PosixRule) {
  const std::set<std::string> present = {"/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyS1", "/dev/ttyUSB2"};
  auto exists = [&](const std::string& path) { return present.count(path) > 0; };
  const struct {
    const char* name;
    const char* device;
  } rows[] = {
      {"COM1", "/dev/ttyACM0"},  {"com2", "/dev/ttyS1"},     {"cOm3", "/dev/ttyUSB2"},
      {"COM4", "/dev/ttyUSB3"},  {"COM12", "/dev/ttyUSB11"}, {"/dev/pts/7", "/dev/pts/7"},
      {"COM0", "COM0"},          {"COM", "COM"},             {"COM1x", "COM1x"},
      {"ttyS0", "ttyS0"},
  };
  for (const auto& row : rows) EXPECT_EQ(PosixPortName(row.name, exists), row.device) << row.name;
}

TEST(PortResolverTest, InstalledResolverWinsUntilRemoved) {
  SetPortResolver([](const std::string& name) { return "/dev/custom-" + name; });
  EXPECT_EQ(ResolvePortName("com1"), "/dev/custom-com1");
  SetPortResolver(nullptr);
  EXPECT_EQ(ResolvePortName("/dev/pts/3"), "/dev/pts/3");
}

}  // namespace
}  // namespace vk47
