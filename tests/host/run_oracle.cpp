#include "tests/host/run_oracle.h"

#include <algorithm>
#include <cstdint>
#include <set>
#include <utility>

#include "common/error.h"
#include "platform/memory/memory_number_conversion.h"

namespace tq::whole_run {
namespace {

constexpr std::size_t kEnumNameBuffer = 260;
constexpr std::size_t kFirstQueryBuffer = 1024;
constexpr int kMoreData = 234;
constexpr int kNotFound = 2;
constexpr std::uint32_t kString = 1;
constexpr std::uint32_t kExpandString = 2;
constexpr std::uint32_t kMultiString = 7;

// The error the scenario says a failing step raises.
struct Failure {
  int number;
  std::wstring description;
};

// Paths as the file-system double reads them: either slash, runs of
// separators as one, no closing separator, letters in either case.
std::wstring PathKey(std::wstring_view path) {
  std::wstring key;
  for (std::size_t i = 0; i < path.size(); ++i) {
    wchar_t c = path[i] == L'/' ? L'\\' : path[i];
    if (c == L'\\' && !key.empty() && key.back() == L'\\' && i > 1) {
      continue;
    }
    if ((c >= L'A' && c <= L'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
      c = static_cast<wchar_t>(c + 0x20);
    }
    key.push_back(c);
  }
  while (key.size() > 2 && key.back() == L'\\') {
    key.pop_back();
  }
  return key;
}

std::wstring AsciiUpper(std::wstring_view name) {
  std::wstring upper(name);
  for (wchar_t& c : upper) {
    if (c >= L'a' && c <= L'z') {
      c = static_cast<wchar_t>(c - 0x20);
    }
  }
  return upper;
}

// Ends the story where the process ends.
struct ProcessEnds {};

class Story {
 public:
  Story(const Machine& machine, const std::optional<Fault>& fault)
      : machine_(machine), fault_(fault) {
    for (const std::wstring& folder : machine.folders) {
      AddFolder(folder);
    }
    for (const std::wstring& file : machine.files) {
      AddFile(file, false);
    }
    for (const std::wstring& file : machine.readOnlyFiles) {
      AddFile(file, true);
    }
    workingDirectory_ = machine.workingDirectory;
  }

  Prediction Tell() {
    try {
      FindJavaHome();
      StartJavaApplication();
      // The wait, then the end of a good run.
      prediction_.outcome.exitCode = 0;
    } catch (const ProcessEnds&) {
    }
    prediction_.outcome.javaHomePath = javaHomePath_;
    prediction_.outcome.finalWorkingDirectory = workingDirectory_;
    return std::move(prediction_);
  }

 private:
  // Counts a call of the operation; true when it is the one made to fail.
  bool Fails(Operation operation) {
    const std::size_t number = ++prediction_.calls[operation];
    return fault_ && fault_->operation == operation && fault_->callNumber == number;
  }
  [[nodiscard]] Failure Injected() const { return {fault_->code, fault_->description}; }

  void Show(const std::wstring& text) { prediction_.outcome.messages.push_back(text); }
  [[noreturn]] void End(unsigned exitCode) {
    prediction_.outcome.exitCode = exitCode;
    throw ProcessEnds{};
  }

  // --- The registry, as RegOpenKeyExA and RegCloseKey see it.
  bool Open(bool opensByItself) { return !Fails(Operation::kOpenKey) && opensByItself; }
  void Close() {
    if (Fails(Operation::kCloseKey)) {
      ++prediction_.openHandles;
    }
  }
  [[nodiscard]] bool BaseKeyOpens() const {
    return machine_.hasBaseKey && !machine_.baseKeyUnreadable;
  }

  // The names the enumeration gathers: up to an injected failure, the end
  // of the list, or a name too long for the 260-byte buffer. A name that
  // the collection holds already ends it with an error.
  std::vector<std::wstring> EnumerateVersions(std::optional<Failure>& failure) {
    std::vector<std::wstring> names;
    if (!Open(BaseKeyOpens())) {
      return names;
    }
    std::set<std::wstring> held;
    for (std::size_t index = 0;; ++index) {
      if (Fails(Operation::kEnumKey) || index >= machine_.runtimes.size()) {
        break;
      }
      const std::string ansi = ToCodePage(machine_.codePage, machine_.runtimes[index].name);
      if (ansi.size() + 1 > kEnumNameBuffer) {
        break;
      }
      std::wstring name = FromCodePage(machine_.codePage, ansi);
      name.resize(std::min(name.size(), name.find(L'\0')));
      if (!held.insert(AsciiUpper(name)).second) {
        failure = Failure{kDuplicateKey,
                          L"This key is already associated with an element of this collection"};
        break;
      }
      names.push_back(std::move(name));
    }
    Close();
    return names;
  }

  [[nodiscard]] const RuntimeEntry* EntryNamed(const std::wstring& name) const {
    for (const RuntimeEntry& entry : machine_.runtimes) {
      if (AsciiUpper(entry.name) == AsciiUpper(name)) {
        return &entry;
      }
    }
    return nullptr;
  }

  // One RegQueryValueExA of JavaHome into a buffer of buffer.size() bytes.
  int Query(const RuntimeEntry& entry, std::uint32_t& type, std::uint32_t& size,
            std::vector<std::uint8_t>& buffer) {
    if (Fails(Operation::kQueryValue)) {
      return fault_->code;
    }
    if (!entry.javaHome) {
      return kNotFound;
    }
    type = entry.javaHome->type;
    const std::vector<std::uint8_t>& data = entry.javaHome->data;
    if (data.size() > buffer.size()) {
      size = static_cast<std::uint32_t>(data.size());
      return kMoreData;
    }
    std::copy(data.begin(), data.end(), buffer.begin());
    size = static_cast<std::uint32_t>(data.size());
    return 0;
  }

  // The runtime directory the winning key names: its text, the empty text
  // when the key cannot be opened, or the failure that reading it raises.
  std::optional<Failure> ReadRuntimeDirectory(const std::wstring& winner, std::wstring& directory) {
    const RuntimeEntry* entry = EntryNamed(winner);
    if (!Open(entry != nullptr && !entry->unreadable)) {
      directory.clear();
      return std::nullopt;
    }
    // One query with 1024 bytes; when they are too few, one more with
    // exactly the size reported, whose answer is not looked at. Whatever
    // the queries left behind (a zero-filled buffer when the data never
    // came) is what is read.
    std::uint32_t type = 0;
    std::uint32_t size = kFirstQueryBuffer;
    std::vector<std::uint8_t> buffer(kFirstQueryBuffer);
    if (Query(*entry, type, size, buffer) == kMoreData) {
      if (static_cast<std::int32_t>(size) < 0) {
        Close();
        return Failure{kOverflow, L"Overflow"};
      }
      buffer.assign(size, 0);
      Query(*entry, type, size, buffer);
    }
    Close();
    // A size beyond the buffer (the value grew between the queries) covers
    // only the buffer.
    const std::int64_t dataSize =
        std::min<std::int64_t>(static_cast<std::int32_t>(size), std::int64_t(buffer.size()));
    std::int64_t textBytes = 0;
    if (type == kString || type == kExpandString) {
      textBytes = dataSize - 1;
    } else if (type == kMultiString) {
      textBytes = dataSize - 2;
    } else {
      // Unsupported types, and numbers and bytes, which name no folder.
      return Failure{kUnsupportedValueType, text::kUnsupportedValueType};
    }
    // Data too short to hold even its closing NULs reads as no text.
    directory = textBytes <= 0
                    ? std::wstring()
                    : FromCodePage(machine_.codePage,
                                   std::string(buffer.begin(), buffer.begin() + textBytes));
    return std::nullopt;
  }

  void FindJavaHome() {
    javaHomePath_.clear();
    if (!Open(BaseKeyOpens())) {
      Show(text::kNotInstalled);
      End(1);
    }
    Close();

    std::optional<Failure> failure;
    const std::vector<std::wstring> names = EnumerateVersions(failure);

    std::optional<std::wstring> winner;
    for (std::size_t i = 0; !failure && i < names.size(); ++i) {
      const std::wstring prefix = names[i].substr(0, 3);
      if (Fails(Operation::kToDouble)) {
        failure = Injected();
        break;
      }
      // What the platform's conversion reads; asked of a conversion of its
      // own so that the run's count stays the run's.
      MemoryNumberConversion platform;
      try {
        if (platform.ToDouble(prefix) >= 1.5) {
          winner = names[i];
        }
      } catch (const Error& error) {
        failure = Failure{error.number(), error.description()};
      }
      if (winner) {
        break;
      }
    }
    if (!failure && !winner) {
      Show(text::kNotAvailable);
      End(1);
    }

    if (!failure) {
      std::wstring directory;
      failure = ReadRuntimeDirectory(*winner, directory);
      if (!failure && !directory.empty()) {
        javaHomePath_ = directory;
        InstallCommSupport(directory);
      }
    }
    if (failure) {
      Show(failure->description);
      Show(text::kSearchFailed);
      javaHomePath_.clear();
    }
  }

  // --- Files.
  void AddFolder(const std::wstring& path) {
    std::wstring key = PathKey(path);
    for (std::size_t end = key.find(L'\\', 1); end != std::wstring::npos;
         end = key.find(L'\\', end + 1)) {
      if (end > 1) {
        folders_.insert(key.substr(0, end));
      }
    }
    folders_.insert(key);
  }
  void AddFile(const std::wstring& path, bool readOnly) {
    const std::wstring key = PathKey(path);
    AddFolder(key.substr(0, key.find_last_of(L'\\')));
    files_.insert(key);
    if (readOnly) {
      readOnly_.insert(key);
    }
  }

  std::optional<Failure> Copy(std::wstring_view fileName, const std::wstring& folder) {
    if (Fails(Operation::kCopyFile)) {
      return Injected();
    }
    if (!files_.contains(PathKey(std::wstring(kSupportFolder) + L"\\" + std::wstring(fileName)))) {
      return Failure{kFileNotFound, L"File not found"};
    }
    if (!folders_.contains(PathKey(folder))) {
      return Failure{kPathNotFound, L"Path not found"};
    }
    const std::wstring target = PathKey(folder + L"\\" + std::wstring(fileName));
    if (readOnly_.contains(target) || folders_.contains(target)) {
      return Failure{kPermissionDenied, L"Permission denied"};
    }
    files_.insert(target);
    return std::nullopt;
  }

  void InstallCommSupport(const std::wstring& directory) {
    std::optional<Failure> failure;
    bool made = false;
    for (std::size_t row = 0; row < kSupportFileNames.size() && !failure; ++row) {
      if (!made) {
        if (Fails(Operation::kCreateFileSystem)) {
          failure = Injected();
          break;
        }
        made = true;
      }
      const std::wstring folder = directory + std::wstring(kSupportFolders[row]);
      if (Fails(Operation::kFileExists)) {
        failure = Injected();
        break;
      }
      if (!files_.contains(PathKey(folder + std::wstring(kSupportFileNames[row])))) {
        failure = Copy(kSupportFileNames[row], folder);
      }
    }
    if (failure) {
      Show(failure->description);
      Show(text::kCopyFailed);
    }
  }

  // --- The launch.
  [[noreturn]] void Report(const Failure& failure) {
    Show(ExpectedReport(failure.number, failure.description));
    End(2);
  }

  void StartJavaApplication() {
    if (Fails(Operation::kLauncherFolder)) {
      Report(Injected());
    }
    const std::wstring command = ExpectedCommand(javaHomePath_, machine_.launcherFolder);
    if (Fails(Operation::kWorkingDirectory)) {
      Report(Injected());
    }
    const std::wstring saved = workingDirectory_;
    if (Fails(Operation::kChangeWorkingDirectory)) {
      Report(Injected());
    }
    workingDirectory_ = machine_.launcherFolder;
    if (Fails(Operation::kStartHidden)) {
      Report(Injected());
    }
    prediction_.outcome.startedCommand = command;
    prediction_.outcome.startedIn = workingDirectory_;
    if (Fails(Operation::kChangeWorkingDirectory)) {
      Report(Injected());
    }
    workingDirectory_ = saved;
  }

  const Machine& machine_;
  const std::optional<Fault>& fault_;
  Prediction prediction_;
  std::wstring javaHomePath_;
  std::wstring workingDirectory_;
  std::set<std::wstring> folders_;
  std::set<std::wstring> files_;
  std::set<std::wstring> readOnly_;
};

}  // namespace

std::wstring ExpectedReport(int number, const std::wstring& description) {
  return L"Run-time error '" + std::to_wstring(number) + L"':\r\n\r\n" + description;
}

std::wstring ExpectedCommand(const std::wstring& javaHome, const std::wstring& launcherFolder) {
  std::wstring program = L"java";
  if (!javaHome.empty()) {
    program = javaHome + L"\\bin\\java.exe";
    if (javaHome.find_first_of(L" \t") != std::wstring::npos) {
      program = L"\"" + program + L"\"";
    }
  }
  const std::wstring lib = L"\"" + launcherFolder + L"\\Sorvanta\\lib\\";
  return program + L" -classpath " + lib + L"Sorvanta.jar\";" + lib + L"Comm.jar\";" + lib +
         L"jdc.jar\";" + lib + L"jxl.jar\";" + lib + L"log4j-1.2.8.jar\";" + lib +
         L"slf4j-api-1.1.0.jar\";" + lib + L"slf4j-log4j12-1.1.0.jar\";" + lib +
         L"slf4j-simple-1.1.0.jar\";" + lib + L"swing-layout-1.0.jar\";" + lib +
         L"win32com.dll.jar\";\"" + launcherFolder +
         L"\\Sorvanta\" JavaSwingClasses.MainFrame  launcher";
}

Prediction Predict(const Machine& machine, const std::optional<Fault>& fault) {
  return Story(machine, fault).Tell();
}

std::vector<std::string> Differences(const Prediction& expected, const Observation& seen) {
  std::vector<std::string> differences;
  if (!(expected.outcome == seen.outcome)) {
    differences.push_back("expected " + Describe(expected.outcome));
    differences.push_back("but saw  " + Describe(seen.outcome));
  }
  for (const Operation operation : kAllOperations) {
    const std::size_t want = expected.calls[operation];
    const std::size_t got = seen.calls[operation];
    if (want != got) {
      differences.push_back(std::string(OperationName(operation)) + " called " +
                            std::to_string(got) + " times, expected " + std::to_string(want));
    }
  }
  if (expected.openHandles != seen.openHandles) {
    differences.push_back("registry handles left open: " + std::to_string(seen.openHandles) +
                          ", expected " + std::to_string(expected.openHandles));
  }
  return differences;
}

}  // namespace tq::whole_run
