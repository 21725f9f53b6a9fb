// FileSystem on Windows: every system call of the file layer is here. Paths reach the wide-character
// calls as they are (UTF-16), never through a code page, and the system's reasons come from
// FormatMessageW, in UTF-8.
#include <windows.h>

#include <algorithm>
#include <utility>

#include "files/file_system.h"
#include "files/path_text.h"

namespace kavira {
namespace {

// Windows' own error codes (GetLastError()), with the system's text for them, in the user's language
// and in UTF-8. They compare equal to the std::errc values as the C++ library maps Windows codes.
class WindowsErrors final : public std::error_category {
 public:
  const char* name() const noexcept override { return "windows"; }
  std::string message(int code) const override {
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(code), 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::u16string wide(text, text + length);
    if (text != nullptr) ::LocalFree(text);
    // The system's texts end with a full stop and a line break; the C library's have neither.
    while (!wide.empty() &&
           (wide.back() == u'\r' || wide.back() == u'\n' || wide.back() == u' ' || wide.back() == u'.')) {
      wide.pop_back();
    }
    if (wide.empty()) return "Windows error " + std::to_string(code);
    return Utf16ToUtf8(wide);
  }
  std::error_condition default_error_condition(int code) const noexcept override {
    return std::system_category().default_error_condition(code);
  }
};

const std::error_category& WindowsCategory() {
  static const WindowsErrors category;
  return category;
}

std::error_code LastError() {
  return {static_cast<int>(::GetLastError()), WindowsCategory()};
}

// A handle that closes itself.
class Handle {
 public:
  explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
  Handle(Handle&& other) noexcept : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
  Handle& operator=(Handle&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
    }
    return *this;
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() { Close(); }

  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  // Closes now; a delayed write error can show up here.
  std::error_code Close() {
    const HANDLE handle = std::exchange(handle_, INVALID_HANDLE_VALUE);
    if (handle == INVALID_HANDLE_VALUE || ::CloseHandle(handle)) return {};
    return LastError();
  }

 private:
  HANDLE handle_;
};

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

FileKind KindOfHandle(HANDLE handle) {
  switch (::GetFileType(handle)) {
    case FILE_TYPE_DISK:
      return FileKind::Regular;
    case FILE_TYPE_CHAR:
      return FileKind::CharDevice;
    case FILE_TYPE_PIPE:
      return FileKind::Fifo;
    default:
      return FileKind::Other;
  }
}

// Opens an existing `path` for `access`, letting others read, write, rename and delete it meanwhile
// (so that a save never fails because the program is loading), and checks that it is of `wanted`
// kind. Opening never waits: a busy named pipe fails at once.
std::error_code OpenChecked(const std::filesystem::path& path, DWORD access, FileKind wanted,
                            Handle& handle) {
  // A folder opens only with backup semantics: say what it is instead.
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return NotAFile(FileKind::Folder);
  handle = Handle(
      ::CreateFileW(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle.valid()) return LastError();
  const FileKind kind = KindOfHandle(handle.get());
  if (kind != wanted) return NotAFile(kind);
  return {};
}

std::error_code WriteAll(HANDLE handle, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const auto want = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1U << 30));
    DWORD written = 0;
    if (!::WriteFile(handle, bytes.data(), want, &written, nullptr)) return LastError();
    if (written == 0) return std::make_error_code(std::errc::io_error);
    bytes = bytes.subspan(written);
  }
  return {};
}

// A journal: records appended and flushed to the disk one by one.
class WindowsAppendFile final : public AppendFile {
 public:
  explicit WindowsAppendFile(Handle handle) : handle_(std::move(handle)) {}
  std::error_code Append(std::span<const std::uint8_t> bytes) override {
    return WriteAll(handle_.get(), bytes);
  }
  std::error_code Sync() override {
    return ::FlushFileBuffers(handle_.get()) ? std::error_code{} : LastError();
  }

 private:
  Handle handle_;
};

class WindowsFileSystem final : public FileSystem {
 public:
  std::error_code ReadPrefix(const std::filesystem::path& path, std::size_t limit,
                             std::vector<std::uint8_t>& out, bool& opened) override {
    out.clear();
    opened = false;
    Handle handle;
    if (const auto e = OpenChecked(path, GENERIC_READ, FileKind::Regular, handle)) return e;
    opened = true;
    constexpr std::size_t kChunk = 64 * 1024;
    while (out.size() < limit) {
      const std::size_t have = out.size();
      const auto want = static_cast<DWORD>(std::min(kChunk, limit - have));
      out.resize(have + want);
      DWORD got = 0;
      if (!::ReadFile(handle.get(), out.data() + have, want, &got, nullptr)) {
        const std::error_code e = LastError();
        out.resize(have);
        return e;
      }
      out.resize(have + got);
      if (got == 0) break;
    }
    return {};
  }

  std::error_code WriteNewFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                               const std::filesystem::path& like, bool& created) override {
    // The attributes a replaced file passes on. Read-only never: such a file is refused before.
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
    if (!like.empty()) {
      const DWORD old = ::GetFileAttributesW(like.c_str());
      const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                         FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
      if (old != INVALID_FILE_ATTRIBUTES && (old & kept) != 0) attributes = old & kept;
    }
    Handle handle(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr));
    created = handle.valid();
    if (!created) return LastError();
    std::error_code e = WriteAll(handle.get(), bytes);
    if (!e && !::FlushFileBuffers(handle.get())) e = LastError();
    const std::error_code closed = handle.Close();
    if (!e) e = closed;
    if (e) ::DeleteFileW(path.c_str());
    return e;
  }

  std::error_code CreateAppendFile(const std::filesystem::path& path,
                                   std::unique_ptr<AppendFile>& out) override {
    out.reset();
    // CREATE_NEW fails when the name exists; FILE_APPEND_DATA writes every record at the end. The
    // folder entry needs no flush of its own on NTFS: the file system's log keeps it.
    Handle handle(::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle.valid()) return LastError();
    out = std::make_unique<WindowsAppendFile>(std::move(handle));
    return {};
  }

  std::error_code Rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
    // One rename on the volume, which replaces the old file whole; it returns once it is on the disk.
    // Another program that holds the old file open without letting it be deleted makes it fail, and
    // the old file stays.
    if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return {};
    return LastError();
  }

  std::error_code Remove(const std::filesystem::path& path) override {
    return ::DeleteFileW(path.c_str()) ? std::error_code() : LastError();
  }

  std::error_code SyncFolder(const std::filesystem::path&) override {
    // Windows keeps a folder's entries with the files' own metadata: MOVEFILE_WRITE_THROUGH has
    // already put each rename on the disk.
    return {};
  }

  std::error_code CheckWriteAccess(const std::filesystem::path& path) override {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return LastError();
    // A folder's read-only attribute keeps no file out of it (Explorer marks customised folders so);
    // whether the folder takes new files shows when the first one is created there.
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return {};
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) return {ERROR_ACCESS_DENIED, WindowsCategory()};
    // The file's permissions: opening it for writing tells, and changes nothing.
    Handle handle(::CreateFileW(path.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    return handle.valid() ? std::error_code() : LastError();
  }

  NameLimits Limits(const std::filesystem::path& folder) override {
    NameLimits limits;
    // Without a long-path manifest, the calls take paths shorter than MAX_PATH.
    limits.path = MAX_PATH - 1;
    // The volume's longest name, in UTF-16 units (255 on NTFS, FAT32 and exFAT).
    const std::filesystem::path where = folder.empty() ? std::filesystem::path(L".") : folder;
    wchar_t root[MAX_PATH + 1] = {};
    DWORD longest = 0;
    if (::GetVolumePathNameW(where.c_str(), root, MAX_PATH + 1) &&
        ::GetVolumeInformationW(root, nullptr, 0, nullptr, &longest, nullptr, nullptr, 0) && longest > 0) {
      limits.name = longest;
    }
    return limits;
  }

  long ProcessId() override { return static_cast<long>(::GetCurrentProcessId()); }

  bool ProcessGone(long pid) override {
    if (pid <= 0) return false;
    const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    // No such process: ERROR_INVALID_PARAMETER. Access denied: it runs, under another user.
    if (process == nullptr) return ::GetLastError() == ERROR_INVALID_PARAMETER;
    // A process that ended with the code STILL_ACTIVE is taken to run: its file is only left longer.
    DWORD code = 0;
    const bool ended = ::GetExitCodeProcess(process, &code) && code != STILL_ACTIVE;
    ::CloseHandle(process);
    return ended;
  }
};

}  // namespace

std::tm LocalTime(std::time_t t) {
  std::tm local{};
  localtime_s(&local, &t);
  return local;
}

FileSystem& SystemFileSystem() {
  static WindowsFileSystem system;
  return system;
}

std::error_code Utf8Error(std::error_code error) {
  if (error.category() == std::system_category()) return {error.value(), WindowsCategory()};
  return error;
}

}  // namespace kavira
