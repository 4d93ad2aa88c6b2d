// file_io.h on Windows: the wide file API, so that any name (a Japanese user
// folder or file name) reaches the file system as it is, whatever the ANSI
// code page.

#define NOMINMAX  // std::min below, not the macro
#include <windows.h>

#include <algorithm>

#include "model/file_io.h"
#include "model/file_io_temp.h"

namespace vk47 {
namespace {

namespace fs = std::filesystem;

class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }
  bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
  bool Close() {
    const HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    return CloseHandle(h) != 0;
  }

 private:
  HANDLE h_;
};

bool WriteAll(HANDLE h, std::string_view content) {
  std::size_t done = 0;
  while (done < content.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size() - done, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(h, content.data() + done, chunk, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

bool WriteInPlace(const fs::path& target, std::string_view content) {
  Handle h(CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h.valid() || GetFileType(h.get()) != FILE_TYPE_DISK) return false;
  bool ok = WriteAll(h.get(), content) && SetEndOfFile(h.get()) && FlushFileBuffers(h.get());
  ok = h.Close() && ok;
  return ok;
}

}  // namespace

fs::path PathFromText(std::string_view text) {
  return fs::path(std::u8string(text.begin(), text.end()));
}

std::string PathText(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

FileRead ReadRegularFile(const fs::path& path, std::size_t budget) {
  FileRead file;
  Handle h(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h.valid()) {
    const DWORD error = GetLastError();
    file.status = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                      ? FileRead::Status::kMissing
                      : FileRead::Status::kFailed;
    return file;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(h.get()) != FILE_TYPE_DISK || !GetFileInformationByHandle(h.get(), &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    file.status = FileRead::Status::kNotAFile;
    return file;
  }
  file.status = FileRead::Status::kFailed;
  // One byte past the budget tells whether there is more.
  std::string bytes;
  char buffer[16384];
  while (bytes.size() <= budget) {
    const DWORD want = static_cast<DWORD>(std::min(sizeof buffer, budget + 1 - bytes.size()));
    DWORD n = 0;
    if (!ReadFile(h.get(), buffer, want, &n, nullptr)) return file;
    if (n == 0) break;
    bytes.append(buffer, n);
  }
  file.complete = bytes.size() <= budget;
  if (!file.complete) bytes.resize(budget);
  file.bytes = std::move(bytes);
  file.status = FileRead::Status::kRead;
  return file;
}

namespace {

FileWrite Failed(DWORD error) {
  FileWrite result;
  result.error = std::error_code(static_cast<int>(error), std::system_category());
  return result;
}

// Whether `target` is the same file as one of `inputs` (the file system's
// own answer, which knows links and second names).
bool IsAnInput(const fs::path& target, const std::vector<fs::path>& inputs) {
  for (const fs::path& input : inputs) {
    std::error_code ec;
    if (!input.empty() && fs::equivalent(target, input, ec) && !ec) return true;
  }
  return false;
}

}  // namespace

FileWrite WriteFileChecked(const fs::path& path, std::string_view content, const std::vector<fs::path>& inputs) {
  const fs::path target = FollowLinks(path);
  const DWORD attributes = GetFileAttributesW(target.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (!exists) {
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND) return Failed(error);
  }
  if (exists && IsAnInput(target, inputs)) {
    FileWrite same;
    same.status = WriteStatus::kSameAsInput;
    return same;
  }
  // A folder, a device or a read-only file is left alone.
  if (exists && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
    return Failed(ERROR_ACCESS_DENIED);
  }
  FileWrite written;
  written.status = WriteStatus::kWritten;

  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(L".");
  fs::path temp;
  HANDLE created = INVALID_HANDLE_VALUE;
  for (unsigned attempt = 0; created == INVALID_HANDLE_VALUE && attempt < 100; ++attempt) {
    temp = folder / (L"~vk47-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                     std::to_wstring(NextTempNumber() % 1000000) + L".tmp");
    created = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (created != INVALID_HANDLE_VALUE) break;
    const DWORD error = GetLastError();
    if (error == ERROR_ACCESS_DENIED) {
      return exists && WriteInPlace(target, content) ? written : Failed(error);
    }
    if (error != ERROR_FILE_EXISTS) return Failed(error);
  }
  Handle h(created);
  if (!h.valid()) return Failed(ERROR_FILE_EXISTS);
  bool ok = WriteAll(h.get(), content) && FlushFileBuffers(h.get());
  ok = h.Close() && ok;
  ok = ok && MoveFileExW(temp.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) {
    const DWORD error = GetLastError();
    DeleteFileW(temp.c_str());
    return Failed(error);
  }
  return written;
}

bool CreateFolder(const fs::path& path) {
  std::error_code ec;
  if (fs::create_directory(path, ec) && !ec) return true;
  return fs::is_directory(path, ec) && !ec;
}

// Windows has no root that a pupil's link could lead astray this way.
bool LinksMayBeFollowed(const fs::path&) { return true; }

}  // namespace vk47
