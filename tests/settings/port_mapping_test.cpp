#include "settings/port_mapping.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "serial/comm_error.h"
#include "settings/profile.h"
#include "settings/class_ports.h"
#include "settings/robot_mapping.h"
#include "settings/robot_presence.h"
#include "tests/settings/temp_folder.h"

namespace vk47 {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

PortProbe Present(std::set<std::string> devices) {
  return [devices](const std::string& d) {
    return devices.contains(d) ? PortPresence::kPresent : PortPresence::kMissing;
  };
}

TEST(PortMapping, ResolvesNamesToDevices) {
  const std::string devices = "[comport]\r\nname=2\r\n[Devices]\r\nCOM3=/dev/serial/by-id/robot\r\n"
                              "com2=ttyUSB9\r\ncom4=\r\n";
  const struct {
    const char* name;
    std::string portname;
    std::string ini;                 // contents of set.ini, "" for none
    std::set<std::string> existing;  // devices that exist
    std::string device;              // "" when refused
  } rows[] = {
      {"set.ini entry", "com3", devices, {}, "/dev/serial/by-id/robot"},
      {"set.ini entry, upper-case name", "COM3", devices, {"/dev/ttyUSB2"}, "/dev/serial/by-id/robot"},
      {"set.ini entry without folder", "Com2", devices, {}, "/dev/ttyUSB9"},
      {"empty entry falls back", "com4", devices, {"/dev/ttyS3"}, "/dev/ttyS3"},
      {"USB adapter first", "com1", "", {"/dev/ttyUSB0", "/dev/ttyACM0", "/dev/ttyS0"}, "/dev/ttyUSB0"},
      {"then CDC-ACM", "com1", "", {"/dev/ttyACM0", "/dev/ttyS0"}, "/dev/ttyACM0"},
      {"then built-in", "COM1", "", {"/dev/ttyS0"}, "/dev/ttyS0"},
      {"nothing exists", "com2", "", {}, "/dev/ttyUSB1"},
      {"absolute path", "/dev/pts/7", devices, {}, "/dev/pts/7"},
      {"com0 refused", "com0", "", {"/dev/ttyS0"}, ""},
      {"com5 refused, even when set.ini names it", "com5", "[devices]\ncom5=/dev/ttyS4\n", {}, ""},
      {"leading zero refused", "com01", "", {}, ""},
      {"relative name refused", "modem", "", {}, ""},
  };
  TempFolder dir;
  const std::string ini = dir / "set.ini";
  for (const auto& row : rows) {
    if (row.ini.empty()) std::filesystem::remove(ini);
    else WriteBytes(ini, row.ini);
    const ResolvedPort resolved = ResolvePortDevice(row.portname, ini, Present(row.existing));
    EXPECT_EQ(resolved.device, row.device) << row.name;
    EXPECT_EQ(resolved.refused(), row.device.empty()) << row.name;
  }
}

TEST(PortMapping, ListsWhatWasConsideredAndWhy) {
  TempFolder dir;
  const PortProbe only_acm = Present({"/dev/ttyACM1"});
  const std::vector<PortCandidate> fallback = PortCandidates("com2", dir / "set.ini", only_acm);
  ASSERT_EQ(fallback.size(), 3u);
  EXPECT_EQ(fallback[0].device, "/dev/ttyUSB1");
  EXPECT_FALSE(fallback[0].exists());
  EXPECT_EQ(fallback[1].device, "/dev/ttyACM1");
  EXPECT_EQ(fallback[2].device, "/dev/ttyS1");
  EXPECT_EQ(ChoosePortCandidate(fallback).device, "/dev/ttyACM1");

  WriteBytes(dir / "set.ini", "[devices]\ncom2=/dev/robot\n");
  const std::vector<PortCandidate> configured = PortCandidates("com2", dir / "set.ini", only_acm);
  ASSERT_EQ(configured.size(), 1u) << "a configured device is the only choice";
  EXPECT_EQ(configured[0].device, "/dev/robot");
  EXPECT_FALSE(configured[0].exists());
  EXPECT_EQ(configured[0].source, "set.ini [devices] com2");
}

// A set.ini that is there but cannot be read leaves the mapping unknown: a
// refusal naming the file and why, never the built-in device instead.
TEST(PortMapping, AnUnreadableSettingsFileIsAnErrorNamingIt) {
  TempFolder dir;
  const std::string ini = dir / "set.ini";
  ASSERT_EQ(::mkfifo(ini.c_str(), 0644), 0);
  const ResolvedPort fifo = ResolvePortDevice("com1", ini, Present({"/dev/ttyS0"}));
  EXPECT_EQ(fifo.refusal, CommErrorKind::kSettingsUnreadable);
  EXPECT_EQ(fifo.detail, ini);
  EXPECT_FALSE(fifo.explanation.empty());
  EXPECT_TRUE(PortCandidates("com1", ini, Present({"/dev/ttyS0"})).empty());
  const std::vector<ClassPort> listed = ListClassPorts(ini, {}, Present({"/dev/ttyS0"}));
  ASSERT_EQ(listed.size(), 4u);
  EXPECT_EQ(listed[0].device, "") << "no built-in device in its place";
  EXPECT_EQ(listed[0].kind, "設定ファイルを読めません");
  EXPECT_EQ(ResolvePortDevice("/dev/pts/3", ini).device, "/dev/pts/3") << "a device path needs no set.ini";
  std::filesystem::remove(ini);

  // Out of file descriptors: a child whose limit leaves none to open set.ini with.
  WriteBytes(ini, "[devices]\ncom1=/dev/pts/77\n");
  int report[2];
  ASSERT_EQ(pipe(report), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Standard input, output and error, and the report on 3: nothing more.
    if (report[1] != 3) {
      dup2(report[1], 3);
      report[1] = 3;
    }
    for (int fd = 4; fd < 1024; ++fd) close(fd);
    const rlimit limit{4, 4};
    setrlimit(RLIMIT_NOFILE, &limit);
    const ResolvedPort resolved = ResolvePortDevice("com1", ini, Present({"/dev/ttyS0"}));
    const std::string line = std::string(CommErrorKindName(resolved.refusal)) + "|" + resolved.detail + "|" +
                             resolved.explanation + "|" + resolved.device;
    (void)!::write(report[1], line.data(), line.size());
    _exit(0);
  }
  ::close(report[1]);
  std::string line;
  char buffer[512];
  for (ssize_t n; (n = ::read(report[0], buffer, sizeof buffer)) > 0;) line.append(buffer, static_cast<std::size_t>(n));
  ::close(report[0]);
  waitpid(child, nullptr, 0);
  EXPECT_EQ(line, "settings-unreadable|" + ini + "|" + std::strerror(EMFILE) + "|");
}

// The robot's mapping, on real files and with real processes holding the
// record: a child process plays the robot and ends without cleaning up, as
// SIGKILL would leave it.
class RobotMapping : public ::testing::Test {
 protected:
  // A private runtime folder of the test's own, so that robots running
  // elsewhere on the machine (the user's own records folder) are not seen.
  void SetUp() override {
    ASSERT_EQ(chmod(dir_.path().c_str(), 0700), 0);
    setenv("XDG_RUNTIME_DIR", dir_.path().c_str(), 1);
  }
  void TearDown() override { unsetenv("XDG_RUNTIME_DIR"); }

  // Forks a robot that links `key` to `device` and dies at once, leaving its lines.
  void LinkAndDie(const std::string& key, const std::string& device) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      std::string error;
      auto link = VirtualRobotRecord::Create(ini_, key, device, error);
      _exit(link ? 0 : 1);  // no destructor runs: the lines stay, the lock goes
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }

  // A robot in a child process (records are named by process) that links
  // `key` to `device` and ends cleanly when End() is called.
  struct ChildRobot {
    pid_t pid = -1;
    int go = -1;
    bool End() {
      const char byte = 1;
      const bool told = ::write(go, &byte, 1) == 1;
      ::close(go);
      if (!told) return false;
      int status = 0;
      waitpid(pid, &status, 0);
      return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
  };
  ChildRobot StartChildRobot(const std::string& key, const std::string& device) {
    int ready[2], go[2];
    if (pipe(ready) != 0 || pipe(go) != 0) return {};
    const pid_t child = fork();
    if (child == 0) {
      ::close(go[1]);
      std::string error;
      auto link = VirtualRobotRecord::Create(ini_, key, device, error);
      char byte = link ? 1 : 0;
      (void)!::write(ready[1], &byte, 1);
      (void)!::read(go[0], &byte, 1);
      _exit(link && link->Remove() ? 0 : 1);
    }
    ::close(go[0]);
    ::close(ready[1]);
    char byte = 0;
    const bool linked = ::read(ready[0], &byte, 1) == 1 && byte == 1;
    ::close(ready[0]);
    EXPECT_TRUE(linked) << device;
    return {child, go[1]};
  }

  TempFolder dir_;
  std::string ini_ = dir_ / "set.ini";
};

TEST_F(RobotMapping, RemovalPutsBackEveryByte) {
  const std::string before = "[comport]\r\nname=0\r\n[devices]\r\ncom1=/dev/ttyUSB5\r\ncom2=/dev/x\r\n";
  const struct {
    const char* name;
    std::optional<std::string> file;
  } rows[] = {{"no file", std::nullopt},
              {"no devices section", std::string("[comport]\r\nname=3")},
              {"com1 configured by a person", before}};
  for (const auto& row : rows) {
    std::filesystem::remove(ini_);
    if (row.file) WriteBytes(ini_, *row.file);
    std::string error;
    auto link = VirtualRobotRecord::Create(ini_, "com1", "/dev/pts/99", error);
    ASSERT_TRUE(link) << error;
    EXPECT_EQ(ResolvePortDevice("com1", ini_).device, "/dev/pts/99") << row.name;
    EXPECT_EQ(RobotLinkStateOf(ini_, "com1", "/dev/pts/99"), RobotLinkState::kRunning);
    ASSERT_TRUE(link->Remove());
    EXPECT_EQ(std::filesystem::exists(ini_), row.file.has_value()) << row.name;
    if (row.file) {
      EXPECT_EQ(ReadBytes(ini_), *row.file) << row.name;
    }
    EXPECT_FALSE(std::filesystem::exists(link->record_path())) << row.name;
  }
}

TEST_F(RobotMapping, RemovalKeepsWhatOthersWroteMeanwhile) {
  WriteBytes(ini_, "[devices]\r\ncom1=/dev/ttyUSB0\r\n");
  std::string error;
  auto first = VirtualRobotRecord::Create(ini_, "com1", "/dev/pts/98", error);
  auto second = VirtualRobotRecord::Create(ini_, "com2", "/dev/pts/97", error);
  ASSERT_TRUE(first && second) << error;
  ASSERT_TRUE(WritePrivateProfileString("comport", "name", "1", ini_));
  ASSERT_TRUE(first->Remove());
  EXPECT_EQ(ReadBytes(ini_),
            "[devices]\r\ncom1=/dev/ttyUSB0\r\ncom2=/dev/pts/97\r\n[robots]\r\ncom2=" +
                second->record_path() + "\r\n[comport]\r\nname=1\r\n");
  ASSERT_TRUE(second->Remove());
  EXPECT_EQ(ReadBytes(ini_), "[devices]\r\ncom1=/dev/ttyUSB0\r\n[comport]\r\nname=1\r\n");
}

// Two robots linked to one port, ended in either order: whatever was there
// before both comes back, and no ended robot's line is left behind.
TEST_F(RobotMapping, TwoRobotsOnOnePortPutBackWhatWasThereBeforeBoth) {
  const struct {
    const char* name;
    std::optional<std::string> file;
  } files[] = {{"no file", std::nullopt},
               {"no devices section", std::string("[comport]\r\nname=3\r\n")},
               {"a teacher's line", std::string("[devices]\r\ncom1=/dev/ttyUSB0\r\n")}};
  for (const auto& file : files) {
    for (const bool first_ends_first : {true, false}) {
      const std::string row = std::string(file.name) + (first_ends_first ? ", A ends first" : ", B ends first");
      std::filesystem::remove(ini_);
      if (file.file) WriteBytes(ini_, *file.file);
      ChildRobot a = StartChildRobot("com1", "/dev/pts/90");
      ChildRobot b = StartChildRobot("com1", "/dev/pts/91");
      EXPECT_TRUE((first_ends_first ? a : b).End()) << row;
      EXPECT_EQ(ResolvePortDevice("com1", ini_).device, first_ends_first ? "/dev/pts/91" : "/dev/pts/90")
          << row;
      EXPECT_TRUE((first_ends_first ? b : a).End()) << row;
      // With no file before, an empty one may stay behind (it reads the same).
      const std::string after = std::filesystem::exists(ini_) ? ReadBytes(ini_) : "";
      EXPECT_EQ(after, file.file.value_or("")) << row;
    }
  }
}

// A [devices] section added for a robot goes when the last robot on the port
// ends, even when the robot that added it ended first and the line of the
// robot that took the port over was removed by hand meanwhile.
TEST_F(RobotMapping, TheDevicesSectionARobotAddedGoesWithTheLastRobot) {
  const std::string before = "[comport]\r\nname=0\r\n";
  WriteBytes(ini_, before);
  ChildRobot a = StartChildRobot("com1", "/dev/pts/90");
  ChildRobot b = StartChildRobot("com1", "/dev/pts/91");
  EXPECT_TRUE(a.End());
  EXPECT_EQ(ResolvePortDevice("com1", ini_).device, "/dev/pts/91");
  std::string text = ReadBytes(ini_);
  const std::string line = "com1=/dev/pts/91\r\n";
  ASSERT_NE(text.find(line), std::string::npos) << text;
  text.erase(text.find(line), line.size());
  WriteBytes(ini_, text);
  EXPECT_TRUE(b.End());
  EXPECT_EQ(ReadBytes(ini_), before);
}

TEST_F(RobotMapping, ADeadRobotsPseudoTerminalIsNeverOpened) {
  LinkAndDie("com1", "/dev/pts/96");
  EXPECT_EQ(RobotLinkStateOf(ini_, "com1", "/dev/pts/96"), RobotLinkState::kGone);
  const ResolvedPort resolved = ResolvePortDevice("COM1", ini_);
  EXPECT_EQ(resolved.refusal, CommErrorKind::kRobotGone);
  EXPECT_EQ(resolved.device, "");
  EXPECT_EQ(resolved.detail, "/dev/pts/96");

  // A person who points com1 elsewhere gets that device, as named.
  ASSERT_TRUE(WritePrivateProfileString("devices", "com1", "/dev/ttyUSB3", ini_));
  EXPECT_EQ(ResolvePortDevice("com1", ini_).device, "/dev/ttyUSB3");

  // A new robot on com2 does not put the dead one's line back when it ends,
  // whether or not another writer changed set.ini meanwhile (then only the
  // robot's own lines are taken back).
  for (const bool other_writer : {false, true}) {
    SCOPED_TRACE(other_writer ? "set.ini changed meanwhile" : "set.ini as the robot left it");
    LinkAndDie("com2", "/dev/pts/95");
    std::string error;
    auto robot = VirtualRobotRecord::Create(ini_, "com2", "/dev/pts/94", error);
    ASSERT_TRUE(robot) << error;
    if (other_writer) {
      ASSERT_TRUE(WritePrivateProfileString("comport", "name", "1", ini_));
    }
    ASSERT_TRUE(robot->Remove());
    EXPECT_EQ(GetPrivateProfileString("devices", "com2", "none", ini_), "none");
    EXPECT_EQ(GetPrivateProfileString("robots", "com2", "none", ini_), "none");
  }
}

TEST_F(RobotMapping, ARecordThatIsMissingVouchesForNoPseudoTerminal) {
  WriteBytes(ini_, "[devices]\ncom1=/dev/pts/93\ncom2=/dev/ttyUSB1\n[robots]\ncom1=" + dir_ / "gone.lock" +
                       "\ncom2=" + dir_ / "gone.lock" + "\n");
  EXPECT_EQ(ResolvePortDevice("com1", ini_).refusal, CommErrorKind::kRobotGone);
  EXPECT_EQ(ResolvePortDevice("com2", ini_).device, "/dev/ttyUSB1") << "not a robot's kind of device";
}

// A robot killed by SIGKILL cannot take its lines back: whoever comes next
// does it for the robot, from what its record says it replaced.
TEST_F(RobotMapping, AKilledRobotsReplacedMappingComesBack) {
  const std::string before = "[comport]\r\nname=1\r\n[devices]\r\ncom2=/dev/ttyUSB5\r\n";
  {
    SCOPED_TRACE("the next reader");
    WriteBytes(ini_, before);
    LinkAndDie("com2", "/dev/pts/89");
    const std::string record = GetPrivateProfileString("robots", "com2", "", ini_);
    ASSERT_TRUE(std::filesystem::exists(record));
    EXPECT_EQ(ResolvePortDevice("com2", ini_).device, "/dev/ttyUSB5");
    EXPECT_EQ(ReadBytes(ini_), before);
    EXPECT_FALSE(std::filesystem::exists(record)) << "the ended robot's record goes with its lines";
    const std::vector<PortCandidate> candidates = PortCandidates("com2", ini_);
    ASSERT_EQ(candidates.size(), 1u);
    EXPECT_EQ(candidates[0].device, "/dev/ttyUSB5");
  }
  {
    SCOPED_TRACE("the next robot, ended by a signal it sees");
    WriteBytes(ini_, before);
    LinkAndDie("com2", "/dev/pts/89");
    std::string error;
    auto robot = VirtualRobotRecord::Create(ini_, "com2", "/dev/pts/88", error);
    ASSERT_TRUE(robot) << error;
    EXPECT_EQ(ResolvePortDevice("com2", ini_).device, "/dev/pts/88");
    ASSERT_TRUE(robot->Remove());
    EXPECT_EQ(ReadBytes(ini_), before);
  }
  {
    SCOPED_TRACE("two killed one after the other");
    WriteBytes(ini_, before);
    LinkAndDie("com2", "/dev/pts/89");
    LinkAndDie("com2", "/dev/pts/87");
    EXPECT_EQ(ResolvePortDevice("com2", ini_).device, "/dev/ttyUSB5");
    EXPECT_EQ(ReadBytes(ini_), before);
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
      EXPECT_FALSE(entry.path().filename().string().ends_with("-com2.lock")) << entry.path() << " left behind";
    }
  }
  {
    // A robot that replaced nothing keeps saying that it has ended.
    SCOPED_TRACE("nothing replaced");
    WriteBytes(ini_, "[comport]\r\nname=1\r\n");
    LinkAndDie("com3", "/dev/pts/86");
    EXPECT_EQ(ResolvePortDevice("com3", ini_).refusal, CommErrorKind::kRobotGone);
    EXPECT_EQ(ResolvePortDevice("com3", ini_).refusal, CommErrorKind::kRobotGone);
  }
}

// A robot that took the port over from a running one, then was killed: the
// running robot gets the port back, and what was there before both comes
// back when it ends.
TEST_F(RobotMapping, AKilledRobotGivesThePortBackToTheRobotItTookItFrom) {
  const std::string before = "[devices]\r\ncom1=/dev/ttyUSB5\r\n";
  WriteBytes(ini_, before);
  ChildRobot a = StartChildRobot("com1", "/dev/pts/90");
  LinkAndDie("com1", "/dev/pts/91");
  EXPECT_EQ(ResolvePortDevice("com1", ini_).device, "/dev/pts/90");
  EXPECT_EQ(RobotLinkStateOf(ini_, "com1", "/dev/pts/90"), RobotLinkState::kRunning);
  EXPECT_TRUE(a.End());
  EXPECT_EQ(ReadBytes(ini_), before);
}

// Without a runtime folder the records go to a folder of the user's own in
// the temporary folder; when that name is taken, robots share one spare
// folder, which goes with the last of them, and are all found.
TEST_F(RobotMapping, ATakenRecordFolderNameHidesNoRobotAndLeavesNoFolders) {
  unsetenv("XDG_RUNTIME_DIR");
  TempFolder temp;
  setenv("TMPDIR", temp.path().c_str(), 1);
  const std::string usual = temp / ("vk47-robot-" + std::to_string(geteuid()));
  WriteBytes(usual, "taken");  // a file in the folder's place
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  const std::string pts = ptsname(master);
  auto folders_in_temp = [&] {
    int n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(temp.path())) n += entry.is_directory();
    return n;
  };
  for (int round = 0; round < 3; ++round) {
    std::string error;
    auto first = RobotPresence::Create(pts, 0, error);
    auto second = RobotPresence::Create(pts, 1, error);
    ASSERT_TRUE(first && second) << error;
    EXPECT_EQ(folders_in_temp(), 1) << "one spare folder for every record";
    EXPECT_EQ(RunningRobotDevices(), std::vector<std::string>{pts});
    EXPECT_EQ(RobotRecordFolders().size(), 1u);
  }
  EXPECT_EQ(folders_in_temp(), 0) << "the spare folder went with its last record";
  EXPECT_EQ(RunningRobotDevices(), std::vector<std::string>{}) << "looking creates nothing";
  EXPECT_EQ(folders_in_temp(), 0);
  EXPECT_EQ(ReadBytes(usual), "taken");
  close(master);
  unsetenv("TMPDIR");
}

// No folder for records at all: no record is made anywhere, and the reason
// names the folder that could not be made.
TEST_F(RobotMapping, NoRecordFolderMakesNoRecord) {
  unsetenv("XDG_RUNTIME_DIR");
  setenv("TMPDIR", "/proc", 1);
  std::string error;
  EXPECT_FALSE(RobotPresence::Create("/dev/pts/85", 0, error));
  EXPECT_NE(error.find("/proc/vk47-robot-"), std::string::npos) << error;
  error.clear();
  WriteBytes(ini_, "[devices]\r\ncom1=/dev/ttyUSB5\r\n");
  EXPECT_FALSE(VirtualRobotRecord::Create(ini_, "com1", "/dev/pts/85", error));
  EXPECT_NE(error.find("/proc/vk47-robot-"), std::string::npos) << error;
  EXPECT_EQ(ReadBytes(ini_), "[devices]\r\ncom1=/dev/ttyUSB5\r\n");
  unsetenv("TMPDIR");
}

// The class dialog's list: a robot is listed once, under the COM port that
// leads to it when there is one; a record left by a killed robot, a record
// naming no pseudo-terminal and a terminal that is gone list nothing.
TEST_F(RobotMapping, ClassPortsListEachRunningRobotOnce) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  const std::string pts = ptsname(master);
  std::string error;
  auto robot = RobotPresence::Create(pts, 0, error);
  ASSERT_TRUE(robot) << error;
  auto vanished = RobotPresence::Create("/dev/pts/99999", 1, error);
  auto no_terminal = RobotPresence::Create("/dev/null", 2, error);
  ASSERT_TRUE(vanished && no_terminal) << error;
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::string child_error;
    auto killed = RobotPresence::Create(pts, 3, child_error);
    _exit(killed ? 0 : 1);  // no destructor runs: the record stays, the lock goes
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(RunningRobotDevices(), std::vector<std::string>{pts});

  const std::vector<FoundDevice> found = {{"/dev/ttyUSB0", "USB アダプター"}, {pts, "仮想ロボット"}};
  WriteBytes(ini_, "[devices]\ncom2=" + pts + "\n");
  const std::vector<ClassPort> ports = ListClassPorts(ini_, found, Present({pts, "/dev/ttyUSB0", "/dev/ttyS2"}));
  ASSERT_EQ(ports.size(), 4u) << "COM1 and COM2 lead to the devices found";
  EXPECT_EQ(ports[0].title, "COM1");
  EXPECT_EQ(ports[0].device, "/dev/ttyUSB0");
  EXPECT_EQ(ports[0].kind, "USB アダプター");
  EXPECT_EQ(ports[1].device, pts);
  EXPECT_EQ(ports[1].kind, "仮想ロボット");
  EXPECT_EQ(ports[2].device, "/dev/ttyS2");
  EXPECT_EQ(ports[3].device, "/dev/ttyUSB3");
  const std::vector<bool> present = {ports[0].present, ports[1].present, ports[2].present, ports[3].present};
  EXPECT_EQ(present, (std::vector<bool>{true, true, true, false}));
  close(master);
}

}  // namespace
}  // namespace vk47
