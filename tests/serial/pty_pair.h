#pragma once
// A pseudo-terminal pair for serial tests: the slave's path stands in for a
// serial device, the master for the far end of the cable. MasterReader
// collects what arrives at the master with a timestamp per byte.

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace vk47::testing {

class PtyPair {
 public:
  PtyPair() {
    char name[256] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) throw std::runtime_error("openpty failed");
    slave_path_ = name;
    // Raw from the start, so nothing written at either end is echoed or changed.
    termios tio{};
    ::tcgetattr(slave_, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(slave_, TCSANOW, &tio);
  }
  ~PtyPair() {
    CloseMaster();
    CloseSlave();
  }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  const std::string& slave_path() const { return slave_path_; }
  int master() const { return master_; }
  // The pair keeps a slave descriptor open so that the master never sees a
  // hang-up while the code under test closes and reopens the slave.
  int slave() const { return slave_; }

  bool WriteToMaster(const std::vector<std::uint8_t>& bytes) const {
    return ::write(master_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  }
  // The far end disappears: the slave's next write fails with EIO.
  void CloseMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }
  void CloseSlave() {
    if (slave_ >= 0) ::close(slave_);
    slave_ = -1;
  }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string slave_path_;
};

// Reads the master on its own thread until destroyed.
class MasterReader {
 public:
  using Clock = std::chrono::steady_clock;
  struct Byte {
    std::uint8_t value;
    Clock::time_point at;
  };

  explicit MasterReader(int master_fd) : fd_(master_fd) {
    if (::pipe(stop_) != 0) throw std::runtime_error("pipe failed");
    thread_ = std::thread([this] { Run(); });
  }
  ~MasterReader() {
    char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(stop_[1], &byte, 1);
    thread_.join();
    ::close(stop_[0]);
    ::close(stop_[1]);
  }
  MasterReader(const MasterReader&) = delete;
  MasterReader& operator=(const MasterReader&) = delete;

  // Waits until at least n bytes have arrived or the limit has passed.
  std::vector<Byte> WaitFor(std::size_t n, std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    arrived_.wait_for(lock, limit, [&] { return bytes_.size() >= n; });
    return bytes_;
  }
  std::vector<std::uint8_t> Values(std::size_t n, std::chrono::milliseconds limit) {
    std::vector<std::uint8_t> values;
    for (const Byte& b : WaitFor(n, limit)) values.push_back(b.value);
    return values;
  }

 private:
  void Run() {
    for (;;) {
      pollfd pfds[2] = {{stop_[0], POLLIN, 0}, {fd_, POLLIN, 0}};
      if (::poll(pfds, 2, -1) < 0) continue;
      if (pfds[0].revents) return;
      if (pfds[1].revents & POLLIN) {
        std::uint8_t buffer[256];
        ssize_t n = ::read(fd_, buffer, sizeof buffer);
        auto now = Clock::now();
        if (n > 0) {
          std::lock_guard lock(mutex_);
          for (ssize_t i = 0; i < n; ++i) bytes_.push_back({buffer[i], now});
          arrived_.notify_all();
          continue;
        }
      }
      if (pfds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) {
        // The slave side is closed for now; look again shortly.
        pollfd stop{stop_[0], POLLIN, 0};
        if (::poll(&stop, 1, 5) > 0) return;
      }
    }
  }

  int fd_;
  int stop_[2] = {-1, -1};
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<Byte> bytes_;
  std::thread thread_;
};

}  // namespace vk47::testing
