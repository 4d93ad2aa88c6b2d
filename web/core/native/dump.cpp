// The core's binding run natively, for web/tests/core.test.mjs: it reads
// calls from standard input and prints each answer, so that the test can
// make the same calls on the wasm and compare the two byte for byte.
//
// Input, one line each (texts and bytes in hexadecimal, so that any byte
// passes):
//   kana 0|1                       the mode
//   texts HEX HEX ...              the input buffer: these texts, NUL-ended
//   bytes HEX                      the input buffer: these bytes
//   codes C0 ... C15               the program
//   numbers N ...                  the numbers (as JavaScript prints them)
//   call NAME ARG ...              calls vk47_NAME with integer arguments
// Output, one line a call: the returned number, a tab, the answer in hex.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

extern "C" {
char* vk47_in(int size);
std::int32_t* vk47_codes();
double* vk47_numbers(int count);
const char* vk47_out();
int vk47_out_size();
void vk47_set_kana(int on);
int vk47_text();
int vk47_commands();
int vk47_encode_step(int position);
int vk47_command_of(int code);
int vk47_value_text(int code);
int vk47_slot_name(int slot, int code);
int vk47_track_bar_name(int position);
int vk47_program_file();
int vk47_read_program_file();
int vk47_demo();
int vk47_transfer_steps();
int vk47_execute_byte();
int vk47_transfer_done();
int vk47_execute_done();
int vk47_transfer_failed(int steps_sent);
int vk47_execute_failed();
int vk47_port_failed();
int vk47_trace_text();
int vk47_page_texts();
}

namespace {

std::string FromHex(const std::string& hex) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  }
  return bytes;
}

std::string ToHex(const char* data, int size) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  for (int i = 0; i < size; ++i) {
    const auto byte = static_cast<unsigned char>(data[i]);
    hex += kHex[byte >> 4];
    hex += kHex[byte & 15];
  }
  return hex;
}

// "-" stands for an empty text or byte string.
std::string Field(const std::string& word) { return word == "-" ? std::string() : FromHex(word); }

using Call = int (*)(const std::vector<int>&);

const std::map<std::string, Call>& Calls() {
  static const std::map<std::string, Call> calls = {
      {"text", [](const std::vector<int>&) { return vk47_text(); }},
      {"commands", [](const std::vector<int>&) { return vk47_commands(); }},
      {"encode_step", [](const std::vector<int>& a) { return vk47_encode_step(a.at(0)); }},
      {"command_of", [](const std::vector<int>& a) { return vk47_command_of(a.at(0)); }},
      {"value_text", [](const std::vector<int>& a) { return vk47_value_text(a.at(0)); }},
      {"slot_name", [](const std::vector<int>& a) { return vk47_slot_name(a.at(0), a.at(1)); }},
      {"track_bar_name", [](const std::vector<int>& a) { return vk47_track_bar_name(a.at(0)); }},
      {"program_file", [](const std::vector<int>&) { return vk47_program_file(); }},
      {"read_program_file", [](const std::vector<int>&) { return vk47_read_program_file(); }},
      {"demo", [](const std::vector<int>&) { return vk47_demo(); }},
      {"transfer_steps", [](const std::vector<int>&) { return vk47_transfer_steps(); }},
      {"execute_byte", [](const std::vector<int>&) { return vk47_execute_byte(); }},
      {"transfer_done", [](const std::vector<int>&) { return vk47_transfer_done(); }},
      {"execute_done", [](const std::vector<int>&) { return vk47_execute_done(); }},
      {"transfer_failed", [](const std::vector<int>& a) { return vk47_transfer_failed(a.at(0)); }},
      {"execute_failed", [](const std::vector<int>&) { return vk47_execute_failed(); }},
      {"port_failed", [](const std::vector<int>&) { return vk47_port_failed(); }},
      {"trace_text", [](const std::vector<int>&) { return vk47_trace_text(); }},
      {"page_texts", [](const std::vector<int>&) { return vk47_page_texts(); }},
  };
  return calls;
}

}  // namespace

int main() {
  std::ios::sync_with_stdio(false);
  std::string line;
  while (std::getline(std::cin, line)) {
    std::istringstream words(line);
    std::string verb;
    words >> verb;
    std::vector<std::string> rest;
    for (std::string word; words >> word;) rest.push_back(word);
    if (verb == "kana") {
      vk47_set_kana(std::stoi(rest.at(0)));
    } else if (verb == "texts") {
      std::string buffer;
      for (const std::string& word : rest) buffer += Field(word) + '\0';
      char* in = vk47_in(static_cast<int>(buffer.size()));
      std::copy(buffer.begin(), buffer.end(), in);
    } else if (verb == "bytes") {
      const std::string buffer = rest.empty() ? std::string() : Field(rest[0]);
      char* in = vk47_in(static_cast<int>(buffer.size()));
      std::copy(buffer.begin(), buffer.end(), in);
    } else if (verb == "codes") {
      std::int32_t* codes = vk47_codes();
      for (std::size_t i = 0; i < 16; ++i) codes[i] = std::stoi(rest.at(i));
    } else if (verb == "numbers") {
      double* numbers = vk47_numbers(static_cast<int>(rest.size()));
      for (std::size_t i = 0; i < rest.size(); ++i) numbers[i] = std::strtod(rest[i].c_str(), nullptr);
    } else if (verb == "call") {
      const auto found = Calls().find(rest.at(0));
      if (found == Calls().end()) {
        std::cerr << "dump: no call " << rest.at(0) << '\n';
        return 2;
      }
      std::vector<int> args;
      for (std::size_t i = 1; i < rest.size(); ++i) args.push_back(std::stoi(rest[i]));
      const int result = found->second(args);
      std::cout << result << '\t' << ToHex(vk47_out(), vk47_out_size()) << '\n';
    } else if (!verb.empty()) {
      std::cerr << "dump: unknown line: " << line << '\n';
      return 2;
    }
  }
  return 0;
}
