#include "tests/e2e/hostile_support.h"

#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "launcher/startup_sequence.h"
#include "tests/e2e/expected_java_command.h"
#include "tests/e2e/registry_scope.h"
#include "tests/e2e/window_watch.h"

namespace tq::e2e {
namespace {

constexpr wchar_t kTitle[] = L"Tovane Quillon";

std::runtime_error Failure(const std::string& what) {
  return std::runtime_error(what + " (system error " + std::to_string(GetLastError()) + ")");
}

// Closes a registry key once.
class OpenKey {
 public:
  OpenKey() = default;
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  ~OpenKey() {
    if (key_ != nullptr) {
      RegCloseKey(key_);
    }
  }
  HKEY* out() noexcept { return &key_; }
  [[nodiscard]] HKEY get() const noexcept { return key_; }

 private:
  HKEY key_ = nullptr;
};

void CreateKey(HKEY parent, const std::wstring& path, OpenKey& key) {
  const LSTATUS status =
      RegCreateKeyExW(parent, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE | KEY_WOW64_32KEY,
                      nullptr, key.out(), nullptr);
  if (status != ERROR_SUCCESS) {
    throw std::runtime_error("registry: cannot create a key (" + std::to_string(status) + ")");
  }
}

void SetValue(HKEY key, const std::wstring& name, DWORD type, const void* data, DWORD size) {
  const LSTATUS status =
      RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
  if (status != ERROR_SUCCESS) {
    throw std::runtime_error("registry: cannot set a value (" + std::to_string(status) + ")");
  }
}

}  // namespace

void MakeFolders(const std::wstring& path) {
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(path), error);
  if (!FolderIsThere(path)) {
    throw Failure("cannot make the folder " + std::filesystem::path(path).string());
  }
}

void WriteFileText(const std::wstring& path, const std::string& bytes) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    throw Failure("cannot write a file");
  }
  DWORD written = 0;
  const BOOL wrote =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  if (!wrote || written != bytes.size()) {
    throw Failure("cannot write a whole file");
  }
}

std::optional<std::string> ReadFileText(const std::wstring& path) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return std::nullopt;
  }
  std::string text;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
    text.append(buffer, read);
  }
  CloseHandle(file);
  return text;
}

bool FileIsThere(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool FolderIsThere(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool RemoveTree(const std::wstring& path) {
  for (int attempt = 0; attempt < 30; ++attempt) {
    std::error_code error;
    // Read-only files refuse deletion; make everything writable first.
    for (auto entry = std::filesystem::recursive_directory_iterator(path, error);
         !error && entry != std::filesystem::recursive_directory_iterator();
         entry.increment(error)) {
      SetFileAttributesW(entry->path().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    error.clear();
    std::filesystem::remove_all(std::filesystem::path(path), error);
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
      return true;
    }
    Sleep(100);
  }
  return false;
}

std::vector<std::wstring> FilesMatching(const std::wstring& folder, const std::wstring& pattern) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found{};
  const HANDLE search = FindFirstFileW((folder + L"\\" + pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    return names;
  }
  do {
    names.emplace_back(found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

void MakeRuntimeFolder(const std::wstring& home, const std::wstring& standInJava,
                       bool withSupportFiles) {
  MakeFolders(home + L"\\bin");
  MakeFolders(home + L"\\lib\\ext");
  if (!CopyFileW(standInJava.c_str(), (home + L"\\bin\\java.exe").c_str(), FALSE)) {
    throw Failure("cannot place java.exe");
  }
  if (withSupportFiles) {
    for (const SupportFileRow& row : kSupportFileRows) {
      WriteFileText(home + row.placeInRuntime, "installed before");
    }
  }
}

std::string SupportFileContent(const wchar_t* fileName) {
  std::string content = "support file ";
  for (const wchar_t* c = fileName; *c != L'\0'; ++c) {
    content += static_cast<char>(*c);
  }
  return content;
}

ProvidedSupportFolder::ProvidedSupportFolder() {
  RemoveTree(L"C:\\tovane");
  MakeFolders(kHostileSupportFolder);
  for (const SupportFileRow& row : kSupportFileRows) {
    WriteFileText(std::wstring(kHostileSupportFolder) + L"\\" + row.fileName,
                  SupportFileContent(row.fileName));
  }
}

ProvidedSupportFolder::~ProvidedSupportFolder() { RemoveTree(L"C:\\tovane"); }

void CreateVersionKeys(int count, const std::function<std::wstring(int)>& nameOf,
                       const std::wstring& javaHome) {
  OpenKey base;
  CreateKey(HKEY_LOCAL_MACHINE, kJavaRuntimeKey, base);
  const DWORD size = static_cast<DWORD>((javaHome.size() + 1) * sizeof(wchar_t));
  for (int index = 0; index < count; ++index) {
    OpenKey version;
    CreateKey(base.get(), nameOf(index), version);
    SetValue(version.get(), L"JavaHome", REG_SZ, javaHome.c_str(), size);
  }
}

void SetValueDirectly(const std::wstring& key, const std::wstring& name, DWORD type,
                      const void* data, DWORD size) {
  OpenKey opened;
  CreateKey(HKEY_LOCAL_MACHINE, key, opened);
  SetValue(opened.get(), name, type, data, size);
}

std::vector<std::wstring> AnswerEveryBox(
    WatchedProcess& launcher, unsigned timeoutMilliseconds,
    const std::function<void(std::size_t, const std::wstring&)>& beforeOk) {
  std::vector<std::wstring> texts;
  const Tick end = Now() + timeoutMilliseconds;
  HWND answered = nullptr;
  while (launcher.Running() && Now() < end) {
    HWND box = nullptr;
    for (HWND window : VisibleWindows(launcher.pid())) {
      if (window != answered && ClassOf(window) == kMessageBoxClass) {
        box = window;
      }
    }
    if (box == nullptr) {
      Sleep(20);
      continue;
    }
    const MessageBoxView view = ReadMessageBox(box);
    if (view.title != kTitle) {
      texts.push_back(L"<box titled " + view.title + L"> " + view.text);
    } else {
      texts.push_back(view.text);
    }
    if (beforeOk) {
      beforeOk(texts.size() - 1, view.text);
    }
    PressButton(box, IDOK);
    answered = box;
    WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 5000);
  }
  return texts;
}

std::wstring CommandStarting(const std::wstring& program, const std::wstring& launcherFolder) {
  // The bare form begins with "java"; only the program part differs.
  return program + ExpectedJavaCommand(launcherFolder).substr(4);
}

std::vector<std::wstring> ArgumentsStarting(const std::wstring& program,
                                            const std::wstring& launcherFolder) {
  std::vector<std::wstring> arguments = ExpectedJavaArguments(launcherFolder);
  std::wstring unquoted;
  for (const wchar_t c : program) {
    if (c != L'"') {
      unquoted += c;
    }
  }
  arguments.front() = unquoted;
  return arguments;
}

}  // namespace tq::e2e
