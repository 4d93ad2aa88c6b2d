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

bool IsAbsolutePath(std::string_view text) {
  if (text.starts_with('/')) return true;
#if defined(_WIN32)
  // "\\.\COM7", "\\?\..." and "C:\..." on Windows.
  if (text.starts_with("\\\\")) return true;
  if (text.size() > 2 && text[1] == ':' && (text[2] == '\\' || text[2] == '/')) return true;
#endif
  return false;
}

}  // namespace

std::optional<PortName> ParsePortName(std::string_view text) {
  if (IsAbsolutePath(text)) {
    // A NUL would cut the path the system sees short of the one shown.
    if (text.find('\0') != std::string_view::npos) return std::nullopt;
    return PortName{0, std::string(text)};
  }
  if (text.size() != 4) return std::nullopt;
  for (int i = 0; i < 3; ++i) {
    if ((text[i] | 0x20) != "com"[i]) return std::nullopt;
  }
  if (text[3] < '1' || text[3] > '0' + kComPortCount) return std::nullopt;
  return PortName{text[3] - '0', {}};
}

void SetPortResolver(PortResolver resolver) {
  std::lock_guard lock(ResolverMutex());
  InstalledResolver() = std::move(resolver);
}

ResolvedPort ResolvePort(const std::string& portname) {
  PortResolver resolver;
  {
    std::lock_guard lock(ResolverMutex());
    resolver = InstalledResolver();
  }
  // Called outside the lock so that a resolver may itself consult the default.
  return resolver ? resolver(portname) : DefaultResolvePort(portname);
}

std::vector<PortCandidate> BuiltInPortCandidates(int com, const PortProbe& probe) {
#if defined(_WIN32)
  std::vector<PortCandidate> candidates = {
      {"\\\\.\\COM" + std::to_string(com), PortPresence::kMissing, "COM port"},
  };
#else
  const std::string index = std::to_string(com - 1);
  std::vector<PortCandidate> candidates = {
      {"/dev/ttyUSB" + index, PortPresence::kMissing, "USB serial adapter"},
      {"/dev/ttyACM" + index, PortPresence::kMissing, "USB CDC-ACM device"},
      {"/dev/ttyS" + index, PortPresence::kMissing, "built-in serial port"},
  };
#endif
  for (PortCandidate& candidate : candidates) candidate.presence = probe(candidate.device);
  return candidates;
}

PortCandidate ChoosePortCandidate(const std::vector<PortCandidate>& candidates) {
  for (const PortCandidate& candidate : candidates) {
    if (candidate.exists()) return candidate;
  }
  return candidates.empty() ? PortCandidate{} : candidates.front();
}

}  // namespace vk47
