// Times the program file operations in a loop and prints one line per figure:
//   NAME OPS_PER_SECOND MICROSECONDS_PER_OP
// bench/run calls it several times and reports the medians.
//   vk47_file_bench FOLDER [ITERATIONS]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "model/demo_program.h"
#include "model/program_file.h"

namespace {

using Clock = std::chrono::steady_clock;

void Time(const char* name, int iterations, const std::function<bool()>& op) {
  const auto start = Clock::now();
  for (int i = 0; i < iterations; ++i) {
    if (!op()) {
      std::fprintf(stderr, "%s failed\n", name);
      std::exit(1);
    }
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf("%s %.1f %.3f\n", name, iterations / seconds, seconds * 1e6 / iterations);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: vk47_file_bench FOLDER [ITERATIONS]\n");
    return 2;
  }
  const std::string folder = argv[1];
  const int iterations = argc > 2 ? std::atoi(argv[2]) : 2000;
  const vk47::ProgramCodes demo = *vk47::DemoProgram().codes;
  const std::string path = folder + "/bench.pt3";
  const std::string text = vk47::ProgramFileText(demo);

  // Save: temporary file, fsync and rename, as the window saves.
  Time("save", iterations, [&] { return vk47::SaveProgramFile(path, demo).empty(); });
  Time("load", iterations, [&] {
    const vk47::ProgramParse parse = vk47::ReadProgramFile(path);
    return parse.ok() && *parse.codes == demo;
  });
  Time("parse", iterations * 50, [&] { return vk47::ParseProgramText(text).ok(); });
  return 0;
}
