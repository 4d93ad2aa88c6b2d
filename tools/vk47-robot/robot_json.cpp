#include "tools/vk47-robot/robot_json.h"

#include <cstdio>

#include "model/program_file.h"

namespace vk47 {
namespace {

std::string Number(double ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", ms);
  return text;
}

std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    if (static_cast<unsigned char>(c) < 0x20) {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\u%04x", c);
      out += esc;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

const char* KindName(RobotFrame::Kind kind) {
  switch (kind) {
    case RobotFrame::Kind::kTransfer: return "transfer";
    case RobotFrame::Kind::kExecute: return "execute";
    case RobotFrame::Kind::kIncomplete: return "incomplete";
    case RobotFrame::Kind::kStray: return "stray";
  }
  return "";
}

std::string ByteList(const std::vector<ReceivedByte>& bytes, bool gaps) {
  std::string out = "[";
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i) out += ",";
    out += gaps ? Number(bytes[i].gap_ms) : std::to_string(bytes[i].value);
  }
  return out + "]";
}

}  // namespace

std::string RobotRecordJson(const RobotRecord& record) {
  std::string out = "{\n  \"device\": " + Quoted(record.device) + ",\n  \"bytes\": [";
  for (std::size_t i = 0; i < record.bytes.size(); ++i) {
    const ReceivedByte& b = record.bytes[i];
    out += std::string(i ? "," : "") + "\n    {\"value\": " + std::to_string(b.value) +
           ", \"t_ms\": " + Number(b.time_ms) + ", \"gap_ms\": " + Number(b.gap_ms) + "}";
  }
  out += "\n  ],\n  \"frames\": [";
  for (std::size_t i = 0; i < record.frames.size(); ++i) {
    const RobotFrame& f = record.frames[i];
    out += std::string(i ? "," : "") + "\n    {\"kind\": \"" + KindName(f.kind) +
           "\", \"values\": " + ByteList(f.bytes, false) + ", \"gaps_ms\": " +
           ByteList(f.bytes, true) + "}";
  }
  return out + "\n  ]\n}\n";
}

std::string WriteRobotFile(const std::string& path, std::string_view text, const std::vector<std::string>& inputs) {
  std::vector<std::filesystem::path> input_paths;
  for (const std::string& input : inputs) input_paths.push_back(PathFromText(input));
  const FileWrite write = WriteFileChecked(PathFromText(path), text, input_paths);
  return write ? std::string() : Plain(WriteFailureWords(PathFromText(path), write));
}

}  // namespace vk47
