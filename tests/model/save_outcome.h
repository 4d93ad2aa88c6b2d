#pragma once
// A save's outcome in short, for tests that compare it with one line: "" when
// the file was written, else the first line of SaveProgramFile's notice.

#include <filesystem>
#include <string>

#include "model/program_file.h"

namespace vk47::testing {

inline std::string SavedOrFirstLine(const std::filesystem::path& path, const ProgramCodes& codes) {
  const Notice notice = SaveProgramFile(path, codes);
  return notice.empty() ? "" : Plain(notice.main.front());
}

}  // namespace vk47::testing
