#pragma once
// A virtual robot's link from a port name to its pseudo-terminal, written into
// set.ini as
//   [devices] comN=/dev/pts/K     the device, read like any other mapping
//   [robots]  comN=<record file>  the robot's record, which marks the line as a robot's
// The record file names the device on its first line (then what the robot
// replaced, for a robot that takes the port over) and is held under an
// exclusive lock for as long as the robot runs; the operating system drops the
// lock when the robot ends by any means, SIGKILL included. A pseudo-terminal's
// number is handed out again once the robot is gone, so a mapping whose robot
// no longer holds its record must never be opened: it could be anyone's
// terminal. A [devices] line without a matching record (one a person wrote)
// is used as named. A record vouches for its device only when both the
// record and the device belong to the user who resolves the name (root may
// use anything): another account can neither lock a record nor hand over a
// terminal of its own.
//
// POSIX only (virtual robots live on pseudo-terminals). Any thread.

#include <optional>
#include <string>
#include <vector>

namespace vk47 {

inline constexpr const char* kRobotsSection = "robots";

enum class RobotLinkState {
  kNotARobot,  // no record, or one for another device: a mapping a person wrote
  kRunning,    // the robot holds its record
  kGone,       // the robot has ended: the device must not be opened
};

// The state of the mapping of `key` ("com1".."com4") to `device` in the
// settings file `ini_path`.
RobotLinkState RobotLinkStateOf(const std::string& ini_path, const std::string& key,
                                const std::string& device);

// The robot's side: links `key` to `device` while it lives.
class VirtualRobotRecord {
 public:
  // Creates and locks the record, then writes both lines under the settings
  // lock, remembering the values they replace. Nothing when that fails;
  // `error` then says why.
  static std::optional<VirtualRobotRecord> Create(const std::string& ini_path, const std::string& key,
                                         const std::string& device, std::string& error);
  VirtualRobotRecord(VirtualRobotRecord&& other) noexcept;
  VirtualRobotRecord& operator=(VirtualRobotRecord&&) = delete;
  ~VirtualRobotRecord();  // Remove()

  // Takes back exactly what Create wrote: each line that still holds this
  // robot's value gets back the value it had before (a previous robot's line
  // only while that robot still runs, else the line that robot replaced), or
  // goes when there was none; a
  // [devices] section this robot added goes when it is empty, as does an
  // empty [robots]; every other byte stays. The file
  // is put back byte for byte when nothing else changed it meanwhile. Then
  // the record is released and deleted. Safe to call more than once; false
  // when set.ini could not be written.
  bool Remove();

  const std::string& record_path() const { return record_path_; }

 private:
  VirtualRobotRecord() = default;
  std::string ini_path_;
  std::string key_;
  std::string device_;
  std::string record_path_;
  int record_fd_ = -1;
  std::optional<std::string> file_before_;   // the whole file before Create
  std::string file_written_;                 // the whole file Create wrote
  std::optional<std::string> device_before_; // [devices] key before
  std::optional<std::string> record_before_; // [robots] key before
  bool devices_section_added_ = false;
  // What the first of a line of robots that took the port over from each
  // other replaced; it comes back when the robot before this one has ended.
  std::optional<std::string> original_device_;
  bool original_section_added_ = false;
};

// Takes back, under the settings lock, what the robot linked as `key` left
// in set.ini when it ended without taking its lines back itself (SIGKILL):
// the mapping it replaced, or the lines of the running robot it took the
// port over from, and deletes its record. A robot that replaced nothing
// keeps its lines, so that the port goes on saying its robot has ended. True
// when set.ini was changed. Readers of a mapping call it first.
bool RestoreAfterEndedRobot(const std::string& ini_path, const std::string& key);

// Where records are kept, a folder only this user can enter: $XDG_RUNTIME_DIR
// when it is one, else <temporary folder>/vk47-robot-<uid> (created 0700 and
// checked: no symbolic link, the user's own, no group or other access), else,
// when someone else has taken that name, a spare folder of this user's
// own, <temporary folder>/vk47-robot-<uid>-XXXXXX: the one already there, or
// a new one made by mkdtemp. "" (errno set) when none can be had.
std::string RobotRecordFolder();

// Every folder that may hold this user's records, in the order above, none
// created: the runtime folder, the usual one and every spare one.
std::vector<std::string> RobotRecordFolders();

// Creates the record `path` with `mode` (never through a link), takes its
// exclusive lock and writes `line` into it. The descriptor, or -1 with `error`
// set and the half-made record removed.
int CreateLockedRecord(const std::string& path, const std::string& line, int mode, std::string& error);

// CreateLockedRecord for a record called `name` in RobotRecordFolder(),
// whose path goes to `path`. -1 with `error` set when no folder can be had
// (nothing is then written anywhere) or the record cannot be made.
int CreateRecord(const std::string& name, const std::string& line, int mode, std::string& path,
                 std::string& error);

// Deletes a record, and its folder with it when that is a spare folder left
// empty.
void RemoveRecordFile(const std::string& record_path);

}  // namespace vk47
