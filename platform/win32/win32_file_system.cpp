#include "platform/win32/win32_file_system.h"

#include <string_view>
#include <utility>
#include <vector>

#include "common/decimal_text.h"
#include "common/error.h"
#include "common/letter_case.h"
#include "common/paths.h"
#include "platform/win32/file_bytes.h"
#include "platform/win32/unique_any.h"
#include "platform/win32/win32_error.h"
#include "platform/win32/windows_api.h"

namespace tq {

namespace {

bool EndsWithSeparator(const std::wstring& path) {
  return !path.empty() && IsPathSeparator(path.back());
}

enum class Presence { kPresent, kMissing, kUnknown };

// Whether a file (or a folder) is at path. Not being allowed to look is not
// taken for absence, so that a refusal is not reported as a missing file.
Presence Look(const std::wstring& path, bool folder) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return GetLastError() == ERROR_ACCESS_DENIED ? Presence::kUnknown : Presence::kMissing;
  }
  const bool isFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  return isFolder == folder ? Presence::kPresent : Presence::kMissing;
}

// Raises the error for a copy one of whose ends is missing.
void ThrowIfAnEndIsMissing(const std::wstring& source, const std::wstring& folder) {
  if (Look(source, false) == Presence::kMissing) {
    throw FileNotFound();
  }
  if (Look(folder, true) == Presence::kMissing) {
    throw PathNotFound();
  }
}

// The error for a failed step of a copy. The code alone does not say which
// end is missing (a missing folder shows as 2, 3 or 123 depending on the
// call and the system), so the ends are looked at again.
[[noreturn]] void ThrowCopyFailure(DWORD code, const std::wstring& source,
                                   const std::wstring& folder) {
  ThrowIfAnEndIsMissing(source, folder);
  throw ErrorFromWin32(code);
}

std::wstring FileNameOf(const std::wstring& path) {
  const std::size_t separator = path.find_last_of(L"\\/:");
  return separator == std::wstring::npos ? path : path.substr(separator + 1);
}

// A file in the destination folder that receives the copy before it gets
// its final name. Deleted unless released, so a failed copy leaves nothing
// that could pass for the complete file. Moved, never copied.
class TemporaryFile {
 public:
  explicit TemporaryFile(std::wstring path) : path_(std::move(path)) {}
  TemporaryFile(TemporaryFile&& other) noexcept
      : path_(std::move(other.path_)), owned_(std::exchange(other.owned_, false)) {}
  ~TemporaryFile() {
    if (owned_ && !DeleteFileW(path_.c_str()) && GetLastError() == ERROR_ACCESS_DENIED) {
      // The copy of a read-only source is read-only too.
      SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(path_.c_str());
    }
  }

  [[nodiscard]] const std::wstring& path() const noexcept { return path_; }
  void Release() noexcept { owned_ = false; }

 private:
  std::wstring path_;
  bool owned_ = true;
};

// Copies source into a new file of folder (which ends with a separator)
// under a name of its own.
TemporaryFile CopyToTemporary(const std::wstring& source, const std::wstring& folder) {
  // The copy refuses to replace an existing file, so the name it creates is
  // ours alone; a name already taken is passed over for the next one.
  DWORD number = GetTickCount() ^ (GetCurrentProcessId() << 16);
  for (int attempt = 0; attempt < 64; ++attempt, ++number) {
    TemporaryFile temporary(folder + L"~tq" + HexText(number, 1) + L".tmp");
    if (CopyFileExW(source.c_str(), temporary.path().c_str(), nullptr, nullptr, nullptr,
                    COPY_FILE_FAIL_IF_EXISTS)) {
      return temporary;
    }
    const DWORD code = GetLastError();
    if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) {
      ThrowCopyFailure(code, source, folder);
    }
    temporary.Release();
  }
  throw ErrorFromWin32(ERROR_FILE_EXISTS);
}

// A path as programs write it, from the system's "\\\\?\\" form of it.
std::wstring WithoutLongPathPrefix(const std::wstring& path) {
  constexpr std::wstring_view kUncPrefix = L"\\\\?\\UNC\\";
  constexpr std::wstring_view kLongPrefix = L"\\\\?\\";
  if (path.starts_with(kUncPrefix)) {
    return L"\\\\" + path.substr(kUncPrefix.size());
  }
  return path.starts_with(kLongPrefix) ? path.substr(kLongPrefix.size()) : path;
}

}  // namespace

bool Win32FileSystem::FileExists(const std::wstring& path) {
  // A name with a closing separator asks for a folder, never a file.
  return !EndsWithSeparator(path) && Look(path, false) == Presence::kPresent;
}

void Win32FileSystem::CopyFile(const std::wstring& source, const std::wstring& destinationFolder) {
  ThrowIfAnEndIsMissing(source, destinationFolder);
  // The full target name is composed here: given only the folder, the copy
  // calls of some systems misreport a missing folder as an invalid name.
  const std::wstring folder =
      destinationFolder + (EndsWithSeparator(destinationFolder) ? L"" : L"\\");
  const std::wstring target = folder + FileNameOf(source);

  // A read-only file is refused, not made writable behind its owner's back.
  // Windows refuses to replace one anyway; the explicit test gives the same
  // answer where the system would let the rename through.
  const DWORD existing = GetFileAttributesW(target.c_str());
  if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY) != 0) {
    throw PermissionDenied();
  }

  TemporaryFile temporary = CopyToTemporary(source, folder);
  // A rename within one folder: the final name shows the old file or the
  // complete new one, never a part of it.
  if (!MoveFileExW(temporary.path().c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    ThrowCopyFailure(GetLastError(), source, destinationFolder);
  }
  temporary.Release();
}

std::vector<std::wstring> Win32FileSystem::Subfolders(const std::wstring& folder) {
  WIN32_FIND_DATAW found{};
  const UniqueFindHandle find(FindFirstFileW(PathFrom(folder, L"*").c_str(), &found));
  if (!find) {
    const DWORD code = GetLastError();
    // No folder there. A file in its place shows as ERROR_DIRECTORY or,
    // under Wine, ERROR_INVALID_NAME.
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ||
        code == ERROR_INVALID_NAME || code == ERROR_DIRECTORY) {
      return {};
    }
    throw ErrorFromWin32(code);
  }
  std::vector<std::wstring> names;
  do {
    const std::wstring name = found.cFileName;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && name != L"." && name != L"..") {
      names.push_back(name);
    }
  } while (FindNextFileW(find.get(), &found));
  ThrowLastErrorIf(GetLastError() != ERROR_NO_MORE_FILES);
  // The system lists in the order its file system keeps, which differs
  // between NTFS, FAT and network shares.
  SortByFoldedName(names);
  return names;
}

std::string Win32FileSystem::ReadBytes(const std::wstring& path, std::size_t limit) {
  const UniqueHandle file = OpenToRead(path);
  ThrowLastErrorIf(!file);
  return ReadUpTo(file.get(), limit);
}

std::wstring Win32FileSystem::FinalPath(const std::wstring& path) {
  // No access asked for: the handle only names the file. Backup semantics
  // let a folder open too.
  const UniqueHandle file(CreateFileW(path.c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  ThrowLastErrorIf(!file);
  // Windows Vista and later; imported, it would keep the launcher from
  // starting on Windows XP.
  using GetFinalPathNameByHandleFunction = DWORD WINAPI(HANDLE, wchar_t*, DWORD, DWORD);
  auto* const finalPathOf = ProcedureAddress<GetFinalPathNameByHandleFunction>(
      GetModuleHandleW(L"kernel32.dll"), "GetFinalPathNameByHandleW");
  if (finalPathOf == nullptr) {
    return path;
  }
  constexpr DWORD kNormalizedDosName = 0;  // FILE_NAME_NORMALIZED | VOLUME_NAME_DOS
  try {
    return WithoutLongPathPrefix(TextFromCall([&](wchar_t* buffer, DWORD size) {
      return finalPathOf(file.get(), buffer, size, kNormalizedDosName);
    }));
  } catch (const Error&) {
    // The file opened, so the path as given leads to it; the system only
    // cannot name it otherwise (a volume without a drive letter).
    return path;
  }
}

std::unique_ptr<FileSystem> CreateWin32FileSystem() { return std::make_unique<Win32FileSystem>(); }

}  // namespace tq
