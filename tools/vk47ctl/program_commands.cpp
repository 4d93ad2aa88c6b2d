// vk47ctl show / demo: print or write a program without any window.

#include <iostream>

#include "model/demo_program.h"
#include "model/file_io.h"
#include "model/listing.h"
#include "model/program_file.h"
#include "tools/vk47ctl/commands.h"

namespace vk47::ctl {

int Show(const Args& args) {
  if (args.size() != 1) {
    std::cerr << "使い方: vk47ctl show FILE.pt3\n";
    return 2;
  }
  const ProgramParse parsed = ReadProgramFile(PathFromText(args[0]));
  if (!parsed.ok()) {
    std::cerr << parsed.error << '\n';
    return 1;
  }
  std::cout << ProgramListing(*parsed.codes);
  return 0;
}

int Demo(const Args& args) {
  if (args.size() > 1) {
    std::cerr << "使い方: vk47ctl demo [FILE.pt3]\n";
    return 2;
  }
  const ProgramParse demo = DemoProgram();
  if (args.empty()) {
    std::cout << ProgramListing(*demo.codes);
    return 0;
  }
  // The checked write's own words: a link it would not follow is named.
  const std::filesystem::path path = PathFromText(args[0]);
  const FileWrite write = WriteFileChecked(path, ProgramFileText(*demo.codes));
  if (!write) {
    std::cerr << Plain(WriteFailureWords(path, write)) << '\n';
    return 1;
  }
  return 0;
}

}  // namespace vk47::ctl
