#include "serial/port_resolver.h"

#include <mutex>

namespace vk47 {
namespace {

std::mutex& ResolverMutex() {
  static std::mutex mutex;
  return mutex;
}

PortResolver& InstalledResolver() {
  static PortResolver resolver;
  return resolver;
}

}  // namespace

void SetPortResolver(PortResolver resolver) {
  std::lock_guard lock(ResolverMutex());
  InstalledResolver() = std::move(resolver);
}

std::string ResolvePortName(const std::string& portname) {
  PortResolver resolver;
  {
    std::lock_guard lock(ResolverMutex());
    resolver = InstalledResolver();
  }
  // Called outside the lock so that a resolver may itself consult the default.
  return resolver ? resolver(portname) : DefaultPortName(portname);
}

int ComPortNumber(const std::string& portname) {
  if (portname.size() < 4 || portname.size() > 9) return 0;
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
  if (lower(portname[0]) != 'c' || lower(portname[1]) != 'o' || lower(portname[2]) != 'm') return 0;
  int number = 0;
  for (std::size_t i = 3; i < portname.size(); ++i) {
    char c = portname[i];
    if (c < '0' || c > '9') return 0;
    number = number * 10 + (c - '0');
  }
  return number;
}

std::string PosixPortName(const std::string& portname,
                          const std::function<bool(const std::string& path)>& exists) {
  if (!portname.empty() && portname[0] == '/') return portname;
  int number = ComPortNumber(portname);
  if (number < 1) return portname;
  std::string index = std::to_string(number - 1);
  for (const char* stem : {"/dev/ttyUSB", "/dev/ttyACM", "/dev/ttyS"}) {
    std::string path = stem + index;
    if (exists(path)) return path;
  }
  return "/dev/ttyUSB" + index;
}

}  // namespace vk47
