#pragma once
// Windows only: a UTF-8 device name for the wide API. A path given in full
// may hold any character; the ANSI calls would read it in the system's code
// page. Included after <windows.h>.

#include <cstddef>
#include <string>

namespace vk47 {

inline std::wstring Widen(const std::string& text) {
  if (text.empty()) return {};
  int count = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(count > 0 ? count : 0), L'\0');
  if (count > 0)
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), count);
  return wide;
}

}  // namespace vk47
