// vk47ctl ports: where COM1..COM4 lead on this machine and which one the
// settings file selects, so a teacher can check the wiring without the window.

#include <filesystem>
#include <iomanip>
#include <iostream>
#include <optional>
#include <string>
#include <system_error>

#include "model/file_io.h"
#include "settings/port_mapping.h"
#include "settings/port_setting.h"
#include "settings/profile.h"
#include "settings/settings_folder.h"
#include "tools/vk47ctl/commands.h"

namespace vk47::ctl {
namespace {

const char* PresenceText(PortPresence presence) {
  switch (presence) {
    case PortPresence::kPresent: return "exists";
    case PortPresence::kNoUart: return "no-uart";
    case PortPresence::kMissing: break;
  }
  return "missing";
}

// "ttyACM0, ttyS0": the other candidates that were looked for in vain.
std::string OthersTried(const std::vector<PortCandidate>& candidates, const PortCandidate& chosen) {
  std::string text;
  for (const PortCandidate& c : candidates) {
    if (c.device == chosen.device) continue;
    text += (text.empty() ? "" : ", ") + c.device;
  }
  return text;
}

}  // namespace

int Ports(const Args& args) {
  if (!args.empty()) {
    std::cerr << "使い方: vk47ctl ports\n";
    return 2;
  }
  // The same path the window reads, computed without creating the folder:
  // looking should leave no trace.
  const std::string ini = SettingsFolderPathFor(DocumentsFolderPath()) + kSettingsFileName;
  std::error_code ec;
  const std::filesystem::file_type ini_type = std::filesystem::status(PathFromText(ini), ec).type();
  // A set.ini that is there but cannot be read (no permission, no file
  // descriptor left, a FIFO, device or folder in its place) leaves every
  // mapping unknown: that is said, and no built-in device is shown instead.
  std::string unreadable;
  const bool readable = ReadPrivateProfileString(kDevicesSection, "com1", "", ini, unreadable).has_value();
  const std::string ini_note = !readable ? " (cannot be read: " + unreadable + ")"
                               : ini_type == std::filesystem::file_type::not_found ? " (missing)"
                                                                                   : "";
  const std::int32_t index = ReadPortIndex(ini);
  // Start-up keeps "COM1" for an index outside 0..3.
  const std::string selected = PortNameForIndex(index).value_or("com1");

  std::cout << "settings file: " << ini << ini_note << '\n'
            << "stored index:  " << index;
  if (!PortNameForIndex(index)) std::cout << " (no port of COM1..COM4, so COM1 is used)";
  std::cout << '\n';

  for (int n = 1; n <= kComPortCount; ++n) {
    const std::string name = "com" + std::to_string(n);
    if (!readable) {
      std::cout << (name == selected ? "* " : "  ") << "COM" << n << "  unknown (set.ini cannot be read)\n";
      continue;
    }
    const std::vector<PortCandidate> candidates = PortCandidates(name, ini);
    const PortCandidate chosen = ChoosePortCandidate(candidates);
    const ResolvedPort resolved = ResolvePortDevice(name, ini);
    std::cout << (name == selected ? "* " : "  ") << "COM" << n << "  " << std::left
              << std::setw(14) << chosen.device << ' ' << std::setw(8)
              << PresenceText(chosen.presence) << '(' << chosen.source;
    if (resolved.refusal == CommErrorKind::kRobotGone) {
      std::cout << "; its virtual robot has ended, so it is not opened";
    }
    if (!chosen.exists() && candidates.size() > 1) {
      std::cout << "; also looked for " << OthersTried(candidates, chosen);
    }
    for (const PortCandidate& c : candidates) {
      if (c.presence == PortPresence::kNoUart) std::cout << "; " << c.device << " has no UART";
    }
    std::cout << ")\n";
  }
  if (!readable) {
    std::cerr << "vk47ctl: 設定ファイル " << ini << " を読めません (" << unreadable
              << ")。どのポートがどのデバイスか分かりません。\n";
    return 1;
  }
  return 0;
}

}  // namespace vk47::ctl
