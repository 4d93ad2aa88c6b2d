#include "serial/port_resolver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#endif
#if defined(__linux__)
#include <fcntl.h>
#include <linux/serial.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>

#include "tests/serial/pty_pair.h"
#endif

namespace vk47 {
namespace {

// Every tool and the window accept exactly these; a refused name is never
// opened, so "com5" cannot create a file named com5 in the working folder.
TEST(PortNameTest, AcceptsComOneToFourAndAbsolutePathsOnly) {
  const struct {
    const char* text;
    int com;  // -1: refused
  } rows[] = {
      {"com1", 1}, {"COM2", 2}, {"cOm3", 3}, {"Com4", 4},  {"/dev/pts/7", 0}, {"/x", 0},
      {"com0", -1}, {"com01", -1}, {"com5", -1}, {"com9", -1}, {"com12", -1}, {"com", -1},
      {"", -1},   {"com1 ", -1}, {" com1", -1}, {"com1x", -1}, {"ttyS0", -1}, {"./com1", -1},
      {"dev/ttyUSB0", -1}, {"c0m1", -1}, {"COM\xEF\xBC\x91", -1},
  };
  for (const auto& row : rows) {
    const std::optional<PortName> name = ParsePortName(row.text);
    if (row.com < 0) {
      EXPECT_FALSE(name) << '"' << row.text << '"';
      EXPECT_EQ(DefaultResolvePort(row.text).refusal, CommErrorKind::kBadPortName) << row.text;
      continue;
    }
    ASSERT_TRUE(name) << row.text;
    EXPECT_EQ(name->com, row.com) << row.text;
    if (row.com == 0) {
      EXPECT_EQ(name->path, row.text);
    }
  }
  EXPECT_FALSE(ParsePortName(std::string_view("/dev/tty\0S0", 11))) << "a NUL would cut the path";
}

#if !defined(_WIN32)
TEST(PortNameTest, BuiltInCandidatesSkipPortsWithoutUart) {
  const std::map<std::string, PortPresence> devices = {
      {"/dev/ttyS1", PortPresence::kNoUart}, {"/dev/ttyS2", PortPresence::kPresent},
      {"/dev/ttyACM2", PortPresence::kPresent}};
  auto probe = [&](const std::string& d) {
    auto it = devices.find(d);
    return it == devices.end() ? PortPresence::kMissing : it->second;
  };
  EXPECT_EQ(ChoosePortCandidate(BuiltInPortCandidates(2, probe)).device, "/dev/ttyUSB1")
      << "a phantom ttyS1 counts as absent; the error names the likely adapter";
  EXPECT_EQ(ChoosePortCandidate(BuiltInPortCandidates(3, probe)).device, "/dev/ttyACM2");
  const auto candidates = BuiltInPortCandidates(3, probe);
  ASSERT_EQ(candidates.size(), 3u);
  EXPECT_EQ(candidates[2].presence, PortPresence::kPresent) << "ttyS2 has a UART";
}
#endif

#if defined(__linux__)
// TIOCGSERIAL through an injected ioctl, on a real device node (a pty slave).
TEST(PortNameTest, UartProbeReadsTheSerialType) {
  testing::PtyPair pty;
  auto answering = [](int type, int rc) {
    return [type, rc](int, unsigned long request, void* argument) {
      EXPECT_EQ(request, static_cast<unsigned long>(TIOCGSERIAL));
      static_cast<serial_struct*>(argument)->type = type;
      return rc;
    };
  };
  EXPECT_EQ(ProbeUart(pty.slave_path(), answering(PORT_UNKNOWN, 0)), PortPresence::kNoUart);
  EXPECT_EQ(ProbeUart(pty.slave_path(), answering(PORT_16550A, 0)), PortPresence::kPresent);
  EXPECT_EQ(ProbeUart(pty.slave_path(), answering(PORT_UNKNOWN, -1)), PortPresence::kPresent)
      << "a driver that cannot say is given the benefit of the doubt";
  EXPECT_EQ(ProbeUart(pty.slave_path()), PortPresence::kPresent) << "a pty refuses TIOCGSERIAL";
  // Only /dev/ttyS* is asked: any other existing path is present as named.
  EXPECT_EQ(ProbePortDevice(pty.slave_path(), answering(PORT_UNKNOWN, 0)), PortPresence::kPresent);
  EXPECT_EQ(ProbePortDevice("/nonexistent/ttyS0"), PortPresence::kMissing);
}

// Opening a real port raises DTR: where sysfs names a built-in port's UART
// type, the look at the port opens nothing (inotify sees every open).
TEST(PortNameTest, ABuiltInPortThatSysfsDescribesIsNotOpened) {
  const std::string device = "/dev/ttyS0";
  if (!BuiltInUartType(device) || ::access(device.c_str(), F_OK) != 0) {
    GTEST_SKIP() << "no " << device << " described in sysfs here";
  }
  const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(::inotify_add_watch(watch, device.c_str(), IN_OPEN), 0);
  ProbePortDevice(device);
  char events[256];
  EXPECT_LT(::read(watch, events, sizeof events), 0) << device << " was opened";
  ::close(watch);
}
#endif

#if defined(_WIN32)
// "comN" opens the system's device name, which also reaches COM10 and above;
// a full device or drive path is taken as it stands.
TEST(PortNameTest, WindowsNamesTheComDevice) {
  EXPECT_EQ(DefaultResolvePort("com1").device, "\\\\.\\COM1");
  EXPECT_EQ(DefaultResolvePort("COM4").device, "\\\\.\\COM4");
  EXPECT_EQ(DefaultResolvePort("\\\\.\\COM12").device, "\\\\.\\COM12");
  EXPECT_EQ(DefaultResolvePort("C:\\robot\\port").device, "C:\\robot\\port");
  EXPECT_EQ(DefaultResolvePort("com5").refusal, CommErrorKind::kBadPortName);
  EXPECT_EQ(DefaultResolvePort("C:robot").refusal, CommErrorKind::kBadPortName) << "relative to a drive";

  // The one built-in device of COMn, probed by the system's device names.
  const auto candidates = BuiltInPortCandidates(3, [](const std::string&) { return PortPresence::kPresent; });
  ASSERT_EQ(candidates.size(), 1u);
  EXPECT_EQ(candidates[0].device, "\\\\.\\COM3");
  EXPECT_EQ(ProbePortDevice("\\\\.\\COM9"), PortPresence::kMissing);
  EXPECT_EQ(ProbePortDevice("C:\\no such folder\\port"), PortPresence::kMissing);
  EXPECT_EQ(ProbePortDevice("C:\\"), PortPresence::kPresent);

  // Users know the device by its name, without the device namespace prefix.
  EXPECT_EQ(DeviceDisplayName("\\\\.\\COM1"), "COM1");
  EXPECT_EQ(DeviceDisplayName("\\\\.\\COM12"), "COM12");
  EXPECT_EQ(DeviceDisplayName("\\\\.\\"), "\\\\.\\") << "no name to show after the prefix";
  EXPECT_EQ(DeviceDisplayName("C:\\robot\\port"), "C:\\robot\\port");
}
#endif

#if !defined(_WIN32)
// The window looks at the port every few seconds: sysfs answers for a
// built-in port without an open, which would raise DTR and RTS on real ones.
TEST(PortNameTest, BuiltInUartTypeComesFromSysfs) {
  const std::filesystem::path sysfs =
      std::filesystem::temp_directory_path() / ("vk47-sysfs-" + std::to_string(::getpid()));
  for (const auto& [name, text] : {std::pair{"ttyS3", "0\n"}, {"ttyS4", "4\n"}, {"ttyS5", "x"}}) {
    std::filesystem::create_directories(sysfs / name);
    std::ofstream(sysfs / name / "type") << text;
  }
  EXPECT_EQ(BuiltInUartType("/dev/ttyS3", sysfs.string()), 0);
  EXPECT_EQ(BuiltInUartType("/dev/ttyS4", sysfs.string()), 4);
  EXPECT_EQ(BuiltInUartType("/dev/ttyS5", sysfs.string()), std::nullopt) << "unreadable";
  EXPECT_EQ(BuiltInUartType("/dev/ttyS6", sysfs.string()), std::nullopt) << "no entry";
  std::filesystem::remove_all(sysfs);
}
#endif

#if defined(__linux__)
// Root acting for a pupil (HOME owned by the pupil) sends only to a device
// the pupil could open for reading and writing by its owner, group and
// mode; anything else is refused, naming the device and the pupil.
TEST(ActingForAUser, RootSendsOnlyWhereThePupilCould) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to give files to another account";
  const uid_t pupil = 65534;  // nobody: in no group of the devices below
  char folder_template[] = "/tmp/vk47-acting-XXXXXX";
  ASSERT_NE(::mkdtemp(folder_template), nullptr);
  const std::string folder = folder_template;
  auto device = [&](const std::string& name, uid_t owner, gid_t group, mode_t mode) {
    const std::string path = folder + "/" + name;
    std::ofstream(path).put('x');
    EXPECT_EQ(::chown(path.c_str(), owner, group), 0);
    EXPECT_EQ(::chmod(path.c_str(), mode), 0);
    return path;
  };
  const ActingUser user{pupil, "pupil"};
  const struct {
    std::string path;
    bool allowed;
  } rows[] = {
      {device("others-terminal", 1234, 5, 0620), false},  // another pupil's terminal (group tty)
      {device("own-terminal", pupil, 5, 0620), true},
      {device("read-only-own", pupil, 5, 0420), false},
      {device("dialout-port", 0, 20, 0660), false},  // a group the pupil is not in
      {device("open-to-all", 0, 0, 0666), true},
      {device("owner-closed-others-open", pupil, 0, 0066), false},  // the owner's bits decide
  };
  for (const auto& row : rows) {
    const ResolvedPort result = OnlyWhatUserMayOpen(PortDevice(row.path), user);
    EXPECT_EQ(result.refused(), !row.allowed) << row.path;
    if (row.allowed) {
      EXPECT_EQ(result.device, row.path);
    } else {
      EXPECT_EQ(result.refusal, CommErrorKind::kNotTheUsers) << row.path;
      EXPECT_EQ(result.detail, row.path);
      EXPECT_EQ(result.explanation, "pupil");
    }
  }
  // A missing device is left for the open to report; a refusal stays one.
  EXPECT_FALSE(OnlyWhatUserMayOpen(PortDevice(folder + "/missing"), user).refused());
  EXPECT_EQ(OnlyWhatUserMayOpen(RefusedPort(CommErrorKind::kRobotGone, "x"), user).refusal, CommErrorKind::kRobotGone);

  // Whom root acts for: the owner of HOME, when that is not root.
  const char* old_home = std::getenv("HOME");
  const std::string saved = old_home ? old_home : "";
  const std::string home = folder + "/home";
  ASSERT_EQ(::mkdir(home.c_str(), 0700), 0);
  ::setenv("HOME", home.c_str(), 1);
  EXPECT_FALSE(UserActedFor()) << "root's own HOME";
  ASSERT_EQ(::chown(home.c_str(), pupil, 0), 0);
  const std::optional<ActingUser> acting = UserActedFor();
  ASSERT_TRUE(acting);
  EXPECT_EQ(acting->uid, pupil);
  EXPECT_TRUE(OnlyWhatTheUserActedForMayOpen(PortDevice(rows[0].path)).refused());
  EXPECT_FALSE(OnlyWhatTheUserActedForMayOpen(PortDevice(rows[1].path)).refused());
  const CommError error{CommErrorKind::kNotTheUsers, 0, acting->name, rows[0].path};
  const std::string text = DescribeCommError(error, "com1");
  EXPECT_NE(text.find(rows[0].path), std::string::npos) << text;
  EXPECT_NE(text.find("ユーザー " + acting->name + " の代わり"), std::string::npos) << text;
  EXPECT_EQ(text.find("dialout"), std::string::npos) << text;
  if (old_home) {
    ::setenv("HOME", saved.c_str(), 1);
  } else {
    ::unsetenv("HOME");
  }
  std::filesystem::remove_all(folder);
}
#endif

TEST(PortResolverTest, InstalledResolverWinsUntilRemoved) {
  SetPortResolver([](const std::string& name) { return PortDevice("/dev/custom-" + name); });
  EXPECT_EQ(ResolvePort("com1").device, "/dev/custom-com1");
  SetPortResolver(nullptr);
  EXPECT_EQ(ResolvePort("/dev/pts/3").device, "/dev/pts/3");
  EXPECT_TRUE(ResolvePort("com5").refused());
}

}  // namespace
}  // namespace vk47
