// The search for Java runtimes beyond the one registry key, on machines in
// memory: what each source finds, what each runtime is, and which is taken.

#include "runtime/runtime_search.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/memory/memory_file_system.h"
#include "platform/memory/memory_registry.h"
#include "runtime/decision_log.h"
#include "runtime/pe_image.h"
#include "tests/pe_images.h"

namespace tq {
namespace {

using Found = std::vector<std::wstring>;
using enum RuntimeSource;

struct SearchMachine {
  Journal journal;
  FaultPlan faults;
  MemoryRegistry registry{faults};
  MemoryFileSystem files{journal, faults};

  // A runtime folder with a java.exe of that machine; a release file and a
  // version resource when given.
  void Runtime(const std::wstring& folder, std::uint16_t machine, const char* release = nullptr,
               std::optional<pe_images::FileVersion> resource = {}) {
    files.AddFile(folder + L"\\bin\\java.exe", pe_images::PeImage(machine, resource));
    if (release != nullptr) {
      files.AddFile(folder + L"\\release",
                    std::string("IMPLEMENTOR=\"x\"\nJAVA_VERSION=\"") + release + "\"\n");
    }
  }
  void Key(KeyHandle root, const std::wstring& key, const std::wstring& folder) {
    registry.SetString(root, L"SOFTWARE\\JavaSoft\\" + key, L"JavaHome", folder);
  }
};

// "folder: Java 17.0.9 (its release file), 64-bit (x64): refusal", or "taken".
std::wstring Described(const RuntimeCandidate& runtime, bool chosen) {
  return runtime.folder + L": " +
         (runtime.version ? L"Java " + runtime.version->Text() + L" (" +
                                std::wstring(runtime.versionFrom) + L")"
                          : L"no version") +
         L", " + (runtime.machine ? MachineName(*runtime.machine) : L"no machine") + L": " +
         (chosen                    ? L"taken"
          : runtime.refusal.empty() ? L"can be taken"
                                    : runtime.refusal);
}

constexpr std::uint16_t x86 = kMachineI386;
constexpr std::uint16_t x64 = kMachineAmd64;
const std::wstring kPf = L"C:\\Program Files";
const std::wstring kPf86 = L"C:\\Program Files (x86)";

TEST(RuntimeSearchTest, TheFirstSourceWithARuntimeThatCanBeTakenGivesItsHighestVersion) {
  struct Case {
    const char* name;
    std::vector<RuntimeSource> sources;
    std::function<void(SearchMachine&, RuntimeSearch&)> build;
    Found found;
  };
  const std::vector<Case> cases = {
      {"JavaSoft: both views and the user's keys, one folder counted once, 64-bit refused",
       {kJavaSoft},
       [](SearchMachine& m, RuntimeSearch& s) {
         s.environment.windows64Bit = true;
         m.Runtime(kPf86 + L"\\Java\\jre8", x86);
         m.Key(kHkeyLocalMachine, L"Java Runtime Environment\\1.8", kPf86 + L"\\Java\\jre8");
         m.Key(kHkeyLocalMachine, L"Java Runtime Environment\\1.8.0_392",
               kPf86 + L"\\JAVA\\jre8\\");
         m.Runtime(kPf + L"\\Java\\jdk-17", x64, "17.0.9");
         m.Key(kHkeyLocalMachine64BitView, L"JRE\\17", kPf + L"\\Java\\jdk-17");
         m.Runtime(L"C:\\Users\\a\\jdk-11", x86, nullptr, {{11, 0, 2, 0}});
         m.Key(kHkeyCurrentUser, L"JDK\\11", L"C:\\Users\\a\\jdk-11");
       },
       {kPf86 + L"\\Java\\jre8: Java 1.8 (its registry key), 32-bit (x86): can be taken",
        kPf + L"\\Java\\jdk-17: Java 17.0.9 (its release file), 64-bit (x64): it is 64-bit (x64), "
              L"while the serial-port support (Win32com.dll) needs a 32-bit Java",
        L"C:\\Users\\a\\jdk-11: Java 11.0.2 (the version resource of its java.exe), 32-bit (x86): "
        L"taken"}},
      {"Folders: distributions' folders in every program folder; equal versions keep their order",
       {kFolders},
       [](SearchMachine& m, RuntimeSearch& s) {
         s.environment.programFolders = {kPf86, kPf};
         m.Runtime(kPf86 + L"\\Java\\jre1.8.0_392", x86, "1.8.0_392", {{8, 0, 3920, 8}});
         m.Runtime(kPf86 + L"\\Eclipse Adoptium\\jre-11.0.2", x86, "11.0.2");
         m.Runtime(kPf86 + L"\\Zulu\\zulu-11", x86, "11.0.2");
         m.files.AddFolder(kPf86 + L"\\Zulu\\docs");        // no bin\java.exe: no runtime
         m.Runtime(kPf + L"\\Microsoft\\Edge", x86, "99");  // not one of its jdk-* folders
         m.Runtime(kPf + L"\\Microsoft\\jdk-11.0.1", x86, "11.0.1");
         m.Runtime(kPf + L"\\BellSoft\\LibericaJDK-11\\jdk-11", x86, "11.0.1");
       },
       {kPf86 + L"\\Java\\jre1.8.0_392: Java 1.8.0_392 (its release file), 32-bit (x86): can be "
                L"taken",
        kPf86 +
            L"\\Eclipse Adoptium\\jre-11.0.2: Java 11.0.2 (its release file), 32-bit (x86): taken",
        kPf86 + L"\\Zulu\\zulu-11: Java 11.0.2 (its release file), 32-bit (x86): can be taken",
        kPf + L"\\BellSoft\\LibericaJDK-11\\jdk-11: Java 11.0.1 (its release file), 32-bit (x86): "
              L"can be taken",
        kPf + L"\\Microsoft\\jdk-11.0.1: Java 11.0.1 (its release file), 32-bit (x86): can be "
              L"taken"}},
      {"JAVA_HOME refused, so PATH is searched: its link followed to the runtime above bin",
       {kJavaHome, kPath},
       [](SearchMachine& m, RuntimeSearch& s) {
         s.environment.javaHome = L"\"D:\\jre21\\\"";
         m.Runtime(L"D:\\jre21", x86, "21");
         s.environment.path = L"relative\\bin;C:\\Windows;;C:\\javapath;C:\\other";
         m.Runtime(kPf86 + L"\\Java\\jre-9", x86, "9.0.4");
         m.files.AddLink(L"C:\\javapath\\java.exe", kPf86 + L"\\Java\\jre-9\\bin\\java.exe");
         m.Runtime(L"C:\\other\\..", x86, "17");
       },
       {L"D:\\jre21: Java 21 (its release file), 32-bit (x86): newer than 17, the highest version "
        L"allowed",
        kPf86 + L"\\Java\\jre-9: Java 9.0.4 (its release file), 32-bit (x86): taken"}},
      {"nothing can be taken: too old, no java.exe, no Windows program, no version",
       {kJavaHome, kFolders},
       [](SearchMachine& m, RuntimeSearch& s) {
         s.environment.javaHome = L"D:\\empty";
         m.files.AddFolder(L"D:\\empty");
         s.environment.programFolders = {kPf};
         m.Runtime(kPf + L"\\Java\\jre6", x86, nullptr, {{6, 0, 450, 6}});
         m.files.AddFile(kPf + L"\\Zulu\\zulu-8\\bin\\java.exe", "#!/bin/sh");
         m.Runtime(kPf + L"\\Semeru\\jdk-x", x86);
       },
       {L"D:\\empty: no version, no machine: D:\\empty\\bin\\java.exe cannot be read: Path not "
        L"found",
        kPf + L"\\Java\\jre6: Java 1.6.0_45 (the version resource of its java.exe), 32-bit (x86): "
              L"older than 1.8, the lowest version allowed",
        kPf + L"\\Zulu\\zulu-8: no version, no machine: its java.exe is no Windows program",
        kPf + L"\\Semeru\\jdk-x: no version, 32-bit (x86): its version could not be found (no "
              L"release file, no version resource)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SearchMachine machine;
    RuntimeSearch search{
        c.sources, ParseJavaVersion(L"1.8"), ParseJavaVersion(L"17"), RuntimeBits::k32, {}, {}};
    c.build(machine, search);
    DecisionLog log;
    const SearchResult result = SearchJavaRuntimes(search, machine.registry, machine.files, log);
    Found found;
    for (std::size_t i = 0; i < result.found.size(); ++i) {
      found.push_back(Described(result.found[i], result.chosen == i));
    }
    EXPECT_EQ(found, c.found);
    EXPECT_EQ(machine.registry.OpenHandleCount(), 0U);
  }
}

}  // namespace
}  // namespace tq
