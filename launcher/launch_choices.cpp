#include "launcher/launch_choices.h"

#include "common/decimal_text.h"
#include "interfaces/process_services.h"
#include "launcher/java_command.h"
#include "launcher/launcher_paths.h"

namespace tq {
namespace {

// The longest path the launcher puts below a runtime's folder.
constexpr std::wstring_view kLongestPathInRuntime = L"\\lib\\javax.comm.properties";

std::wstring Characters(std::size_t count) {
  return DecimalText(static_cast<long long>(count)) + L" characters";
}

class Resolver {
 public:
  Resolver(const std::wstring& launcherFolder, ProcessServices& process)
      : folder_(launcherFolder), process_(process) {}

  void Resolve(const LaunchSettings& settings) {
    result_.choices.singleInstance = settings.SingleInstance();
    if (settings.javaHome && !settings.javaHome->text.empty()) {
      std::wstring home = Path(*settings.javaHome);
      // "C:\jre\" names the folder "C:\jre"; the launcher adds its own
      // backslash before bin and lib.
      while (home.size() > 3 && IsPathSeparator(home.back())) {
        home.pop_back();
      }
      const std::size_t room = kLongestPath - kLongestPathInRuntime.size();
      if (home.size() > room) {
        Fail(*settings.javaHome, L"[Java] Home",
             L"too long: " + home + L" has " + Characters(home.size()) + L", and " +
                 Characters(room) + L" at most leave room for the files in it");
      }
      result_.choices.javaHome = home;
    }
    if (settings.javaOptions) {
      result_.choices.javaOptions = process_.ExpandEnvironment(settings.javaOptions->text);
      // Measured against a runtime folder as long as any path can be.
      const std::wstring longest =
          BuildJavaCommand(std::wstring(kLongestPath, L'x'), folder_, result_.choices.javaOptions);
      if (longest.size() > kLongestCommandLine) {
        Fail(*settings.javaOptions, L"[Java] Options",
             L"too long: with them the Java command line could reach " +
                 Characters(longest.size()) + L", where Windows starts " +
                 Characters(kLongestCommandLine) + L" at most");
      }
    }
    if (settings.logFile && !settings.logFile->text.empty()) {
      result_.choices.logFile = LimitedPath(*settings.logFile, L"[Log] File");
    }
    if (settings.javaOutput && !settings.javaOutput->text.empty()) {
      result_.choices.javaOutput = LimitedPath(*settings.javaOutput, L"[Log] JavaOutput");
    }
  }

  ResolvedSettings Result() && {
    if (result_.problem) {
      result_.choices = {};
    }
    return std::move(result_);
  }

 private:
  std::wstring Path(const SettingValue& value) {
    return PathFrom(folder_, process_.ExpandEnvironment(value.text));
  }

  std::wstring LimitedPath(const SettingValue& value, const wchar_t* setting) {
    std::wstring path = Path(value);
    if (path.size() > kLongestPath) {
      Fail(value, setting,
           L"too long: " + path + L" has " + Characters(path.size()) + L", where Windows takes " +
               Characters(kLongestPath) + L" at most");
    }
    return path;
  }

  // The first problem is the one reported.
  void Fail(const SettingValue& value, const wchar_t* setting, std::wstring what) {
    if (!result_.problem) {
      result_.problem = SettingsProblem{value.line, setting, std::move(what)};
    }
  }

  const std::wstring& folder_;
  ProcessServices& process_;
  ResolvedSettings result_;
};

}  // namespace

ResolvedSettings ResolveSettings(const LaunchSettings& settings, const std::wstring& launcherFolder,
                                 ProcessServices& process) {
  Resolver resolver(launcherFolder, process);
  resolver.Resolve(settings);
  return std::move(resolver).Result();
}

}  // namespace tq
