#include "runtime/runtime_search.h"

#include <algorithm>
#include <array>
#include <variant>

#include "common/error.h"
#include "common/letter_case.h"
#include "common/paths.h"
#include "common/text.h"
#include "interfaces/file_system.h"
#include "registry/m_registry.h"
#include "runtime/decision_log.h"
#include "runtime/pe_image.h"
#include "runtime/registry_view.h"

namespace tq {
namespace {

// The keys Oracle's and OpenJDK's installers register runtimes under: Java 8
// and before the first two, Java 9 and later the last two.
constexpr std::array<std::wstring_view, 4> kJavaSoftKeys = {
    L"SOFTWARE\\JavaSoft\\Java Runtime Environment",
    L"SOFTWARE\\JavaSoft\\Java Development Kit",
    L"SOFTWARE\\JavaSoft\\JRE",
    L"SOFTWARE\\JavaSoft\\JDK",
};

// The folders below %ProgramFiles% that the installers of the common
// distributions put their runtimes in, one folder per runtime, as each
// vendor's installation guide gives the default:
// - Java: Oracle, "C:\Program Files\Java\jdk-17", "...\Java\jre1.8.0_392"
//   (docs.oracle.com/en/java/javase/17/install/installation-jdk-microsoft-windows-platforms.html;
//   Java 8: java.com "Java for Windows" installation help);
// - Eclipse Adoptium: Temurin, "...\Eclipse Adoptium\jdk-17.0.9.9-hotspot",
//   "...\jre-8.0.392.8-hotspot" (adoptium.net/installation/windows, INSTALLDIR);
// - AdoptOpenJDK: the same installer before the move to Eclipse,
//   "...\AdoptOpenJDK\jdk-11.0.11.9-hotspot" (adoptopenjdk.net/installation.html);
// - Zulu: Azul, "...\Zulu\zulu-17" (docs.azul.com/core/install/windows);
// - Amazon Corretto: "...\Amazon Corretto\jdk1.8.0_392", "...\jdk17.0.9_8"
//   (docs.aws.amazon.com/corretto, "Amazon Corretto on Windows");
// - BellSoft: Liberica, "...\BellSoft\LibericaJDK-17"
//   (docs.bell-sw.com/liberica-jdk, installation guide, Windows MSI); a
//   product folder that holds no runtime itself is looked into once more;
// - Semeru: IBM, "...\Semeru\jdk-17.0.9.9-openj9"
//   (ibm.com/support/pages/semeru-runtimes-installation);
// - Microsoft: the Microsoft Build of OpenJDK, "...\Microsoft\jdk-17.0.9.8-hotspot"
//   (learn.microsoft.com/java/openjdk/install); the folder holds Microsoft's
//   other products too, so only its jdk-* folders are runtimes.
struct DistributionFolder {
  std::wstring_view name;
  std::wstring_view runtimePrefix;  // a runtime's folder name begins so; empty: any
  bool oneLevelDeeper = false;
};
constexpr std::array<DistributionFolder, 8> kDistributionFolders = {{
    {L"Java", {}},
    {L"Eclipse Adoptium", {}},
    {L"AdoptOpenJDK", {}},
    {L"Zulu", {}},
    {L"Amazon Corretto", {}},
    {L"BellSoft", {}, true},
    {L"Semeru", {}},
    {L"Microsoft", L"jdk-"},
}};

constexpr std::wstring_view kReleaseFile = L"\\release";
constexpr std::size_t kLargestReleaseFile = std::size_t{64} * 1024;

// A folder as a source names it: without quotes and closing backslashes.
std::wstring RuntimeFolder(std::wstring_view written) {
  return WithoutClosingSeparators(std::wstring(Unquoted(Trimmed(written))));
}

bool IsAbsolutePath(std::wstring_view path) {
  return (path.size() >= 3 && path[1] == L':' && IsPathSeparator(path[2])) ||
         (path.size() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1]));
}

std::wstring VersionText(const RuntimeCandidate& runtime) {
  if (!runtime.version) {
    return L"version unknown";
  }
  return Concatenated({L"Java ", runtime.version->Text(), L" (from ", runtime.versionFrom, L")"});
}

class Search {
 public:
  Search(const RuntimeSearch& search, RegistryProvider& registry, FileSystem& files,
         DecisionLog& log)
      : search_(search), registry_(registry), files_(files), log_(log) {}

  SearchResult Run() {
    for (const RuntimeSource source : search_.sources) {
      const std::size_t first = result_.found.size();
      log_.Write(Concatenated({L"searching ", SourceName(source)}));
      Collect(source);
      if (const auto chosen = Best(first)) {
        result_.chosen = chosen;
        const RuntimeCandidate& runtime = result_.found[*chosen];
        log_.Write(Concatenated({L"chosen: ", runtime.folder,
                                 L", the highest version that can be taken of those ",
                                 SourceName(source), L" found"}));
        break;
      }
    }
    if (!result_.chosen) {
      log_.Write(L"no runtime found can be taken");
    }
    return std::move(result_);
  }

 private:
  void Collect(RuntimeSource source) {
    // In RuntimeSource's order.
    static constexpr std::array kCollectors = {&Search::CollectJavaSoft, &Search::CollectJavaHome,
                                               &Search::CollectPath, &Search::CollectFolders};
    (this->*kCollectors[static_cast<std::size_t>(source)])();
  }

  void CollectJavaSoft() {
    CollectJavaSoftOf(registry_, kHkeyLocalMachine, L"HKEY_LOCAL_MACHINE");
    if (search_.environment.windows64Bit) {
      RegistryIn64BitView view(registry_);
      CollectJavaSoftOf(view, kHkeyLocalMachine, L"HKEY_LOCAL_MACHINE (64-bit view)");
    }
    CollectJavaSoftOf(registry_, kHkeyCurrentUser, L"HKEY_CURRENT_USER");
  }

  void CollectJavaSoftOf(RegistryProvider& registry, KeyHandle root, std::wstring_view rootName) {
    for (const std::wstring_view key : kJavaSoftKeys) {
      const std::wstring keyName = Concatenated({rootName, L"\\", key});
      try {
        if (!RegKeyExists(registry, root, std::wstring(key))) {
          continue;
        }
        for (const std::wstring& version : RegEnumSubKeys(registry, root, std::wstring(key))) {
          const std::wstring versionKey = Concatenated({key, L"\\", version});
          const std::wstring versionKeyName = Concatenated({keyName, L"\\", version});
          const RegVariant home =
              RegGetValue(registry, root, versionKey, L"JavaHome", RegVariant{Empty{}});
          const auto* folder = std::get_if<std::wstring>(&home);
          if (folder == nullptr || Trimmed(*folder).empty()) {
            log_.Write(Concatenated({L"no JavaHome text in ", versionKeyName}));
            continue;
          }
          Consider(RuntimeSource::kJavaSoft, *folder, versionKeyName, ParseJavaVersion(version));
        }
      } catch (const Error& error) {
        log_.Write(Concatenated({keyName, L" could not be read: ", error.description()}));
      }
    }
  }

  void CollectJavaHome() {
    const std::optional<std::wstring>& home = search_.environment.javaHome;
    if (!home || Trimmed(*home).empty()) {
      log_.Write(L"JAVA_HOME is not set");
      return;
    }
    Consider(RuntimeSource::kJavaHome, *home, L"JAVA_HOME=" + *home, {});
  }

  void CollectPath() {
    for (const std::wstring_view written : ItemsOf(search_.environment.path, L';')) {
      const std::wstring entry = RuntimeFolder(written);
      if (!IsAbsolutePath(entry)) {
        continue;
      }
      const std::wstring java = PathFrom(entry, L"java.exe");
      try {
        if (!files_.FileExists(java)) {
          continue;
        }
        // Oracle's installers put links to the real java.exe in a javapath
        // folder on the path: the runtime is where the link leads.
        const std::wstring real = files_.FinalPath(java);
        const std::wstring bin = FolderOfPath(real);
        if (!SameIgnoringAsciiCase(FileNameOfPath(bin), L"bin")) {
          log_.Write(Concatenated({L"the java.exe on the path, ", real, L", is in no bin folder"}));
          return;
        }
        Consider(RuntimeSource::kPath, FolderOfPath(bin),
                 real == java ? java : Concatenated({java, L" -> ", real}), {});
      } catch (const Error& error) {
        log_.Write(Concatenated({java, L" could not be looked at: ", error.description()}));
      }
      return;
    }
    log_.Write(L"no java.exe on the path");
  }

  void CollectFolders() {
    const std::vector<std::wstring>& roots = search_.environment.programFolders;
    std::wstring listed;
    for (const std::wstring& root : roots) {
      listed += (listed.empty() ? L"" : L"; ") + root;
    }
    log_.Write(roots.empty() ? L"no program folder is set" : L"in the program folders " + listed);
    for (const std::wstring& root : roots) {
      for (const DistributionFolder& distribution : kDistributionFolders) {
        const std::wstring folder = PathFrom(root, std::wstring(distribution.name));
        for (const std::wstring& name : ListFolder(folder)) {
          if (!FoldedName(name).starts_with(FoldedName(distribution.runtimePrefix))) {
            continue;
          }
          const std::wstring runtime = PathFrom(folder, name);
          if (HoldsJava(runtime)) {
            Consider(RuntimeSource::kFolders, runtime, L"Folders", {});
          } else if (distribution.oneLevelDeeper) {
            for (const std::wstring& inner : ListFolder(runtime)) {
              if (HoldsJava(PathFrom(runtime, inner))) {
                Consider(RuntimeSource::kFolders, PathFrom(runtime, inner), L"Folders", {});
              }
            }
          }
        }
      }
    }
  }

  std::vector<std::wstring> ListFolder(const std::wstring& folder) {
    try {
      return files_.Subfolders(folder);
    } catch (const Error& error) {
      log_.Write(folder + L" could not be listed: " + error.description());
      return {};
    }
  }

  bool HoldsJava(const std::wstring& folder) {
    try {
      return files_.FileExists(Concatenated({folder, kJavaProgramInRuntime}));
    } catch (const Error& error) {
      log_.Write(Concatenated(
          {folder, kJavaProgramInRuntime, L" could not be looked for: ", error.description()}));
      return false;
    }
  }

  void Consider(RuntimeSource source, std::wstring_view written, std::wstring foundAt,
                std::optional<JavaVersion> keyVersion) {
    RuntimeCandidate runtime{RuntimeFolder(written), source, std::move(foundAt), {}, {}, {}, {}};
    const std::wstring folded = FoldedName(runtime.folder);
    if (std::ranges::any_of(result_.found, [&](const RuntimeCandidate& earlier) {
          return FoldedName(earlier.folder) == folded;
        })) {
      log_.Write(
          Concatenated({L"runtime ", runtime.folder, L" (", runtime.foundAt, L"): found before"}));
      return;
    }
    Examine(runtime, std::move(keyVersion));
    log_.Write(Concatenated(
        {L"runtime ", runtime.folder, L" (", runtime.foundAt, L"): ", VersionText(runtime), L", ",
         runtime.machine ? MachineName(*runtime.machine) : std::wstring(L"bitness unknown"),
         runtime.refusal.empty() ? L": can be taken" : L": not taken: ", runtime.refusal}));
    result_.found.push_back(std::move(runtime));
  }

  // What the runtime is, read without running it, and whether it may be
  // taken.
  void Examine(RuntimeCandidate& runtime, std::optional<JavaVersion> keyVersion) {
    try {
      runtime.version = ReleaseFileVersion(
          files_.ReadBytes(Concatenated({runtime.folder, kReleaseFile}), kLargestReleaseFile));
    } catch (const Error&) {
      // No release file (before Java 9 not every runtime has one): the
      // version comes from java.exe or the registry.
    }
    if (runtime.version) {
      runtime.versionFrom = L"its release file";
    }
    const std::wstring java = Concatenated({runtime.folder, kJavaProgramInRuntime});
    JavaProgram program;
    try {
      program = ReadJavaProgram(files_, java);
    } catch (const Error& error) {
      runtime.refusal = Concatenated({java, L" cannot be read: ", error.description()});
      return;
    }
    runtime.machine = program.machine;
    if (!runtime.version && program.version) {
      runtime.version = std::move(program.version);
      runtime.versionFrom = L"the version resource of its java.exe";
    }
    if (!runtime.version && keyVersion) {
      runtime.version = std::move(keyVersion);
      runtime.versionFrom = L"its registry key";
    }
    runtime.refusal = Refusal(runtime);
  }

  [[nodiscard]] std::wstring Refusal(const RuntimeCandidate& runtime) const {
    if (!runtime.machine) {
      return L"its java.exe is no Windows program";
    }
    if (std::wstring bits = BitsRefusal(search_.bits, runtime.machine); !bits.empty()) {
      return bits;
    }
    if (!runtime.version) {
      return L"its version could not be found (no release file, no version resource)";
    }
    if (search_.minimum && *runtime.version < *search_.minimum) {
      return Concatenated(
          {L"older than ", search_.minimum->Text(), L", the lowest version allowed"});
    }
    if (search_.maximum && *runtime.version > *search_.maximum) {
      return Concatenated(
          {L"newer than ", search_.maximum->Text(), L", the highest version allowed"});
    }
    return {};
  }

  // The highest version found since `first` that can be taken; the first
  // found of equal ones.
  [[nodiscard]] std::optional<std::size_t> Best(std::size_t first) const {
    std::optional<std::size_t> best;
    for (std::size_t i = first; i < result_.found.size(); ++i) {
      const RuntimeCandidate& runtime = result_.found[i];
      if (runtime.refusal.empty() && (!best || *result_.found[*best].version < *runtime.version)) {
        best = i;
      }
    }
    return best;
  }

  const RuntimeSearch& search_;
  RegistryProvider& registry_;
  FileSystem& files_;
  DecisionLog& log_;
  SearchResult result_;
};

}  // namespace

JavaVersion DefaultMinimumVersion() { return *ParseJavaVersion(L"1.5"); }

JavaProgram ReadJavaProgram(FileSystem& files, const std::wstring& javaPath) {
  const std::string bytes = files.ReadBytes(javaPath, kLargestJavaProgram);
  JavaProgram program{PeMachine(bytes), {}};
  if (const auto words = PeFileVersion(bytes)) {
    program.version = VersionFromFileVersion((*words)[0], (*words)[1], (*words)[2], (*words)[3]);
  }
  return program;
}

std::wstring BitsRefusal(RuntimeBits bits, std::optional<std::uint16_t> machine) {
  if (bits == RuntimeBits::kAny || !machine) {
    return {};
  }
  const bool is32 = IsMachine32Bit(*machine);
  if (bits == RuntimeBits::k32 && !is32) {
    return Concatenated({L"it is ", MachineName(*machine),
                         L", while the serial-port support (Win32com.dll) needs a 32-bit Java"});
  }
  if (bits == RuntimeBits::k64 && is32) {
    return Concatenated(
        {L"it is ", MachineName(*machine), L", and Bits=64 asks for a 64-bit Java"});
  }
  return {};
}

SearchResult SearchJavaRuntimes(const RuntimeSearch& search, RegistryProvider& registry,
                                FileSystem& files, DecisionLog& log) {
  return Search(search, registry, files, log).Run();
}

}  // namespace tq
