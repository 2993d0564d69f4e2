// DLLs planted beside the launcher, under the names of DLLs that Windows and
// its own DLLs load by name: a whole run (splash, discovery, copy, start)
// must take none of them. Wine often prefers its own DLLs; it is told to
// prefer a DLL found beside the program instead, as Windows does for every
// name not on its KnownDLLs list. A small program that loads those names
// with the system's default search, in the same place under the same
// settings, must take every one: that proves the test sees a planting.
//
// The launcher's own calls are watched from outside as well: ctest runs
// this test under tests/e2e/run_with_wine_trace.sh, and
// tests/e2e/check_dll_search_trace.py reads Wine's trace of the launcher's
// process (the restriction before any DLL its code loads, nothing loaded
// from outside the system folder after it, the default search given back
// around the start of Java).

#include <algorithm>
#include <array>
#include <cstdio>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "launcher/startup_sequence.h"
#include "tests/e2e/discovery_test.h"
#include "tests/e2e/java_runtimes.h"
#include "tests/e2e/planted_dll_record.h"

namespace tq::e2e {
namespace {

// The DLLs planted, by the name they are loaded by. Those the launcher's
// process loads by name under Wine (WINEDEBUG=+loaddll,+module on a whole
// run of the 64-bit build): imm32, uxtheme and the display driver
// winex11.drv for the window; propsys, shcore and shlwapi for the system's
// picture decoder (COM's, which the splash used before it decoded its GIF
// itself: kept, a picture could come back that way); version and zlib1,
// imports of Wine's own user32 and gdi32. Then those Windows and its DLLs are known to
// load by name in a program with a window, a picture and message boxes, and
// that are on no KnownDLLs list.
constexpr std::array<std::wstring_view, 27> kPlantedNames = {
    L"imm32.dll",
    L"uxtheme.dll",
    L"winex11.drv",
    L"propsys.dll",
    L"shcore.dll",
    L"shlwapi.dll",
    L"version.dll",
    L"zlib1.dll",
    L"cryptbase.dll",
    L"cryptsp.dll",
    L"dwmapi.dll",
    L"msasn1.dll",
    L"windowscodecs.dll",
    L"profapi.dll",
    L"sspicli.dll",
    L"userenv.dll",
    L"textinputframework.dll",
    L"coremessaging.dll",
    L"coreuicomponents.dll",
    L"wintypes.dll",
    L"ntmarta.dll",
    L"kernel.appcore.dll",
    L"windows.storage.dll",
    L"dwrite.dll",
    L"oleacc.dll",
    L"winmm.dll",
    L"apphelp.dll",
};

// Loaded under Wine before any code of the launcher runs, where no program
// can restrict the search: version and zlib1 while its imports resolve,
// imm32 by Wine's user32 as it initialises. Left to itself Wine takes its
// own for these even with a copy beside the program; told to prefer the
// copy, it would load the planted one before the launcher's first line (and
// the process would break: the marker exports nothing). On Windows imm32 is
// on KnownDLLs, and nothing the launcher imports needs the other two.
constexpr std::array<std::wstring_view, 3> kLoadedBeforeTheFirstLineUnderWine = {
    L"imm32.dll", L"version.dll", L"zlib1.dll"};

// The name Wine's DLL overrides use: without ".dll", other extensions kept.
std::wstring OverrideName(std::wstring_view fileName) {
  std::wstring name(fileName);
  if (name.ends_with(L".dll")) {
    name.resize(name.size() - 4);
  }
  return name;
}

std::vector<std::wstring_view> NamesWinePrefersPlanted() {
  std::vector<std::wstring_view> names;
  for (const std::wstring_view name : kPlantedNames) {
    if (std::find(kLoadedBeforeTheFirstLineUnderWine.begin(),
                  kLoadedBeforeTheFirstLineUnderWine.end(),
                  name) == kLoadedBeforeTheFirstLineUnderWine.end()) {
      names.push_back(name);
    }
  }
  return names;
}

// One marker's record: who loaded it, and when.
struct PlantedLoad {
  std::wstring dll;  // the planted file's name
  DWORD pid = 0;
  std::string process;
  std::string when;
};

std::vector<PlantedLoad> PlantedLoads(const std::wstring& folder) {
  std::vector<PlantedLoad> loads;
  for (const std::wstring& name :
       FilesMatching(folder, L"*" + std::wstring(kPlantedRecordSuffix))) {
    PlantedLoad load;
    // "<dll>.<pid>.loaded"
    const std::wstring stem =
        name.substr(0, name.size() - std::wstring(kPlantedRecordSuffix).size());
    load.dll = stem.substr(0, stem.find_last_of(L'.'));
    std::istringstream lines(ReadFileBytes(folder + L"\\" + name));
    for (std::string line; std::getline(lines, line);) {
      if (!line.empty() && line.back() == '\r') {
        line.pop_back();
      }
      const std::size_t colon = line.find(": ");
      if (colon == std::string::npos) {
        continue;
      }
      const std::string key = line.substr(0, colon);
      const std::string value = line.substr(colon + 2);
      if (key == planted_key::kPid) {
        load.pid = static_cast<DWORD>(std::stoul(value));
      } else if (key == planted_key::kProcess) {
        load.process = value;
      } else if (key == planted_key::kWhen) {
        load.when = value;
      }
    }
    loads.push_back(std::move(load));
  }
  return loads;
}

std::vector<PlantedLoad> LoadsBy(const std::vector<PlantedLoad>& loads, DWORD pid) {
  std::vector<PlantedLoad> found;
  std::copy_if(loads.begin(), loads.end(), std::back_inserter(found),
               [pid](const PlantedLoad& load) { return load.pid == pid; });
  return found;
}

std::string Describe(const std::vector<PlantedLoad>& loads) {
  std::string text;
  for (const PlantedLoad& load : loads) {
    text += "\n  " + Narrow(load.dll) + " by " + load.process + " (" + load.when + ")";
  }
  return text;
}

class PlantedDllTest : public DiscoveryTest {
 protected:
  // Every planted name, a copy of the marker DLL each, beside the program.
  void Plant(const std::wstring& folder) const {
    for (const std::wstring_view name : kPlantedNames) {
      const std::wstring target = folder + L"\\" + std::wstring(name);
      ASSERT_TRUE(CopyFileW(plantedMarker_.c_str(), target.c_str(), TRUE))
          << "cannot plant " << Narrow(target) << ": error " << GetLastError();
    }
  }

  // Tells Wine to take a DLL found beside `program` (a file name) before its
  // own, for the names it is to prefer planted, as Windows does. In the
  // registry, for that program alone: a Windows program cannot hand
  // WINEDLLOVERRIDES to the programs it starts.
  void PreferPlantedDlls(const std::wstring& program) {
    const std::wstring key = L"Software\\Wine\\AppDefaults\\" + program + L"\\DllOverrides";
    for (const std::wstring_view name : NamesWinePrefersPlanted()) {
      registry.SetString(HKEY_CURRENT_USER, key, OverrideName(name), L"native,builtin");
    }
  }

  const std::wstring plantedMarker_ = RequiredProgram(L"TQ_E2E_PLANTED_MARKER");
  const std::wstring plantingSample_ = RequiredProgram(L"TQ_E2E_PLANTING_SAMPLE");
};

TEST_F(PlantedDllTest, AWholeRunTakesNoDllPlantedBesideTheLauncher) {
  ASSERT_NO_FATAL_FAILURE(AssertScratchWithoutBlanks());
  const SupportFolder support(SupportFolder::State::kProvided);
  const JavaRuntimeFolder runtime = AddRuntime(L"1.6.0_45", SupportFiles::kMissing);
  const LauncherLayout layout(scratch.path(), L"Tovane", programs.launcher);
  ASSERT_NO_FATAL_FAILURE(Plant(layout.folder()));
  PreferPlantedDlls(L"planting_sample.exe");
  PreferPlantedDlls(L"TovaneQuillon.exe");

  // The sample, in the launcher's place, under the launcher's settings.
  const std::wstring sample = layout.folder() + L"\\planting_sample.exe";
  ASSERT_TRUE(CopyFileW(plantingSample_.c_str(), sample.c_str(), TRUE));
  const std::vector<std::wstring_view> preferred = NamesWinePrefersPlanted();
  std::wstring names;
  for (const std::wstring_view name : preferred) {
    names += (names.empty() ? L"" : L" ") + std::wstring(name);
  }
  WatchedProcess sampleRun = StartProgram(sample, names, layout.folder());
  const std::optional<DWORD> sampleExit = sampleRun.WaitForExit(30000);
  ASSERT_TRUE(sampleExit) << "the sample does not end";
  EXPECT_EQ(*sampleExit, 0U) << "the sample could not load some of the names";
  const std::vector<PlantedLoad> bySample = LoadsBy(PlantedLoads(layout.folder()), sampleRun.pid());
  for (const std::wstring_view name : preferred) {
    EXPECT_TRUE(std::any_of(bySample.begin(), bySample.end(),
                            [name](const PlantedLoad& load) { return load.dll == name; }))
        << "the sample did not take the planted " << Narrow(std::wstring(name))
        << ": the test would not see the launcher take it either";
  }

  // Wine's trace of the launcher's process, for check_dll_search_trace.py:
  // the DLLs it loads, and its calls that set the DLL search and start Java.
  registry.SetString(HKEY_CURRENT_USER, L"Software\\Wine\\Debug", L"RelayInclude",
                     L"kernel32.SetDefaultDllDirectories;kernel32.SetDllDirectoryW;"
                     L"kernel32.CreateProcessW");
  EnvironmentOverrides environment = records.Environment();
  environment.emplace_back(L"WINEDEBUG", L"+pid,+loaddll,+relay");
  WatchedProcess launcher = StartLauncher(layout, environment);
  std::printf("planted DLLs: the launcher's process is %04lx\n", launcher.pid());
  std::fflush(stdout);

  std::vector<std::wstring> shown = WindowClassesShownUntilExit(launcher, kRunTimeout);
  const std::optional<DWORD> exitCode = launcher.WaitForExit(0);
  ASSERT_TRUE(exitCode) << "the launcher does not end; it showed " << testing::PrintToString(shown);
  EXPECT_EQ(*exitCode, kExitStarted);
  EXPECT_NE(std::find(shown.begin(), shown.end(), std::wstring(kSplashClass)), shown.end())
      << "no splash";
  std::erase(shown, std::wstring(kSplashClass));
  EXPECT_TRUE(shown.empty()) << "the launcher showed " << testing::PrintToString(shown);
  ExpectOneJavaStarted(launcher, layout, runtime.java(), runtime.java());
  for (const expected::SupportFile& file : expected::kSupportFiles) {
    EXPECT_TRUE(IsFile(runtime.home() + expected::PathInRuntime(file)))
        << Narrow(std::wstring(file.name)) << " was not copied";
  }

  const std::vector<PlantedLoad> byLauncher =
      LoadsBy(PlantedLoads(layout.folder()), launcher.pid());
  EXPECT_TRUE(byLauncher.empty()) << "the launcher's process took planted DLLs:"
                                  << Describe(byLauncher);
  std::cout << "planted " << kPlantedNames.size() << " DLLs beside the launcher, Wine told to "
            << "prefer " << preferred.size() << " of them; the sample took " << bySample.size()
            << ", the launcher " << byLauncher.size() << "\n";
}

}  // namespace
}  // namespace tq::e2e
