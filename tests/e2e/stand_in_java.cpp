// java.exe stand-in: takes the place of the Java runtime, so a test (or a
// demo) can see exactly what the launcher hands to Java.
//
// Usage: put this program where the launcher's search for "java" finds it
// (for instance next to TovaneQuillon.exe) under the name java.exe. Each
// time it is started it writes one record and then keeps running, as the
// real Java application would, so one can see that it outlives the launcher.
//
//   TQ_STANDIN_RECORD_DIR  folder for the records (default: the folder of
//                          this program). One file per run, "<pid>.txt",
//                          UTF-8, "key: value" lines; it appears complete
//                          (written under another name and renamed).
//   TQ_STANDIN_LINGER_MS   how long to keep running (default 60000).
//   TQ_STANDIN_EXIT_CODE   the exit code after lingering (default 0).
//   TQ_STANDIN_STDERR      a line to write to standard error at the start.
//   <record folder>\stop   when this file exists, the program ends at once.
//
// A record looks like this ('%' and control characters in values are
// written as %XX):
//
//   pid: 1234
//   parent pid: 1200
//   started tick ms: 5123456
//   program: C:\demo\java.exe
//   working directory: C:\demo
//   command line: java -classpath "C:\demo\Sorvanta\lib\Sorvanta.jar";...
//   argument count: 5
//   argument 0: java
//   argument 1: -classpath
//   ...
//   console window: hidden
//
// "argument N" is the argument list as the C runtime splits the command
// line; "console window" is none, hidden or visible.

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "common/unicode_text.h"
#include "platform/win32/unique_any.h"
#include "platform/win32/windows_api.h"
#include "tests/e2e/stand_in_record.h"

// Needs the Windows types first.
#include <tlhelp32.h>

namespace tq::e2e {
namespace {

// Keeps every value on one line, and '%' unambiguous.
std::string EscapeValue(const std::string& value) {
  std::string escaped;
  for (const char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || c == '%') {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", byte);
      escaped += hex;
    } else {
      escaped += c;
    }
  }
  return escaped;
}

class Record {
 public:
  void Add(const std::string& key, const std::wstring& value) {
    text_ += key + ": " + EscapeValue(ToUtf8(value)) + "\r\n";
  }
  void Add(const std::string& key, unsigned long long value) { Add(key, std::to_wstring(value)); }
  void AddAscii(const std::string& key, const char* value) { text_ += key + ": " + value + "\r\n"; }
  [[nodiscard]] const std::string& text() const { return text_; }

 private:
  std::string text_;
};

std::wstring Environment(const wchar_t* name) {
  const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) {
    return {};
  }
  std::wstring value(size, L'\0');
  const DWORD length = GetEnvironmentVariableW(name, value.data(), size);
  value.resize(length);
  return value;
}

std::wstring ModulePath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length < buffer.size()) {
      return {buffer.data(), length};
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::wstring WorkingDirectory() {
  const DWORD size = GetCurrentDirectoryW(0, nullptr);
  std::wstring folder(size, L'\0');
  folder.resize(GetCurrentDirectoryW(size, folder.data()));
  return folder;
}

DWORD ParentProcessId() {
  const UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) {
    return 0;
  }
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
       more = Process32NextW(snapshot.get(), &entry)) {
    if (entry.th32ProcessID == GetCurrentProcessId()) {
      return entry.th32ParentProcessID;
    }
  }
  return 0;
}

const char* ConsoleWindowState() {
  HWND console = GetConsoleWindow();
  if (console == nullptr) {
    return kConsoleNone;
  }
  return IsWindowVisible(console) ? kConsoleVisible : kConsoleHidden;
}

Record Describe(int argc, wchar_t** argv, unsigned long long startedTick) {
  Record record;
  record.Add(key::kPid, GetCurrentProcessId());
  record.Add(key::kParentPid, ParentProcessId());
  record.Add(key::kStartedTick, startedTick);
  record.Add(key::kProgram, ModulePath());
  record.Add(key::kWorkingDirectory, WorkingDirectory());
  record.Add(key::kCommandLine, GetCommandLineW());
  record.Add(key::kArgumentCount, static_cast<unsigned long long>(argc));
  for (int i = 0; i < argc; ++i) {
    record.Add(key::kArgumentPrefix + std::to_string(i), argv[i]);
  }
  record.AddAscii(key::kConsoleWindow, ConsoleWindowState());
  return record;
}

bool WriteAtomically(const std::wstring& folder, const std::string& text) {
  const std::wstring base = folder + L"\\" + std::to_wstring(GetCurrentProcessId());
  const std::wstring partial = base + kPartialSuffix;
  const std::wstring final = base + kRecordSuffix;
  UniqueHandle file(CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    return false;
  }
  DWORD written = 0;
  const bool complete = WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()),
                                  &written, nullptr) != FALSE &&
                        written == text.size();
  file.reset();  // Closed before the rename.
  return complete &&
         MoveFileExW(partial.c_str(), final.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

std::wstring FolderOf(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L'\\');
  return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
}

unsigned NumberFromEnvironment(const wchar_t* name, unsigned otherwise) {
  const std::wstring text = Environment(name);
  if (text.empty()) {
    return otherwise;
  }
  return static_cast<unsigned>(std::wcstoul(text.c_str(), nullptr, 10));
}

// Straight to the handle, as Java writes: the C runtime's streams would
// buffer what a killed process never flushes.
void WriteStandardError(const std::wstring& line) {
  const std::string bytes = ToUtf8(line + L"\r\n");
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
            &written, nullptr);
}

void Linger(const std::wstring& stopFile, unsigned milliseconds) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  while (GetTickCount64() < end &&
         GetFileAttributesW(stopFile.c_str()) == INVALID_FILE_ATTRIBUTES) {
    Sleep(50);
  }
}

}  // namespace
}  // namespace tq::e2e

int wmain(int argc, wchar_t** argv) {
  using namespace tq::e2e;
  const unsigned long long startedTick = GetTickCount64();
  std::wstring folder = Environment(kRecordDirVariable);
  if (folder.empty()) {
    folder = FolderOf(ModulePath());
  }
  if (const std::wstring line = Environment(kStandardErrorVariable); !line.empty()) {
    WriteStandardError(line);
  }
  if (!WriteAtomically(folder, Describe(argc, argv, startedTick).text())) {
    return 1;
  }
  Linger(folder + L"\\" + kStopFileName,
         NumberFromEnvironment(kLingerVariable, kDefaultLingerMilliseconds));
  return static_cast<int>(NumberFromEnvironment(kExitCodeVariable, 0));
}
