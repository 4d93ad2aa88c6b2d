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

thread_local PinnedResolution* t_pinned = nullptr;

}  // namespace

std::optional<PortName> ParsePortName(std::string_view text) {
  if (IsAbsoluteDevicePath(text)) {
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

PinnedResolution::PinnedResolution(std::string portname, ResolvedPort resolved)
    : portname_(std::move(portname)), resolved_(std::move(resolved)), outer_(t_pinned) {
  t_pinned = this;
}

PinnedResolution::~PinnedResolution() { t_pinned = outer_; }

ResolvedPort ResolvePort(const std::string& portname) {
  for (const PinnedResolution* pin = t_pinned; pin; pin = pin->outer_) {
    if (pin->portname_ == portname) return pin->resolved_;
  }
  PortResolver resolver;
  {
    std::lock_guard lock(ResolverMutex());
    resolver = InstalledResolver();
  }
  // Called outside the lock so that a resolver may itself consult the default.
  return resolver ? resolver(portname) : DefaultResolvePort(portname);
}

PortCandidate ChoosePortCandidate(const std::vector<PortCandidate>& candidates) {
  for (const PortCandidate& candidate : candidates) {
    if (candidate.exists()) return candidate;
  }
  return candidates.empty() ? PortCandidate{} : candidates.front();
}

}  // namespace vk47
