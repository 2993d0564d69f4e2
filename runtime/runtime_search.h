#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/java_version.h"

namespace tq {

class DecisionLog;
class FileSystem;
class RegistryProvider;

// Where a search looks for Java runtimes, as the settings file names them.
enum class RuntimeSource {
  kJavaSoft,  // the JavaSoft keys of both registry views, and of the user
  kJavaHome,  // the JAVA_HOME environment variable
  kPath,      // the first java.exe on the search path
  kFolders,   // the folders the common distributions install into
};

// The sources' names, as the settings file writes them, in their order.
inline constexpr std::array<std::wstring_view, 4> kRuntimeSourceNames = {L"JavaSoft", L"JAVA_HOME",
                                                                         L"PATH", L"Folders"};
inline std::wstring_view SourceName(RuntimeSource source) {
  return kRuntimeSourceNames[static_cast<std::size_t>(source)];
}

// Which runtimes may be taken by their bitness. The serial-port support DLL
// is 32-bit: a 64-bit Java cannot load it.
enum class RuntimeBits { k32, k64, kAny };
// "32", "64" and "any", as the settings file writes them, in their order.
inline constexpr std::array<std::wstring_view, 3> kRuntimeBitsNames = {L"32", L"64", L"any"};

// What the search reads of the machine beyond the registry and the files,
// read by the caller only for the sources that need it.
struct SearchEnvironment {
  // JAVA_HOME as the launcher's process sees it; nothing when it is not set.
  std::optional<std::wstring> javaHome;
  // PATH; empty when not set.
  std::wstring path;
  // %ProgramFiles%, %ProgramFiles(x86)% and %ProgramW6432%, those that are
  // set, each once.
  std::vector<std::wstring> programFolders;
  // Whether Windows is 64-bit, so that it has a 64-bit registry view.
  bool windows64Bit = false;
};

// A runtime the search found, and what it learned of it without running it.
struct RuntimeCandidate {
  std::wstring folder;
  RuntimeSource foundBy = RuntimeSource::kJavaSoft;
  // Where the source pointed at it: a registry key, a variable, a java.exe.
  std::wstring foundAt;
  std::optional<JavaVersion> version;
  // "its release file", "the version resource of its java.exe", "its
  // registry key"; empty when no version was found.
  std::wstring_view versionFrom;
  // The machine field of its java.exe, when it could be read.
  std::optional<std::uint16_t> machine;
  // Why it cannot be taken; empty when it can.
  std::wstring refusal;
};

// The lowest version a search takes unless the settings say otherwise: 1.5,
// as the launcher always asked for.
JavaVersion DefaultMinimumVersion();

struct RuntimeSearch {
  // In the order written; each at most once.
  std::vector<RuntimeSource> sources;
  std::optional<JavaVersion> minimum;
  std::optional<JavaVersion> maximum;
  RuntimeBits bits = RuntimeBits::k32;
  SearchEnvironment environment;
  // The message box when no runtime can be taken, given every runtime found
  // (in the order found), or why the search could not be made, and worded by
  // the launcher, which knows where the search was asked for.
  std::function<std::wstring(const std::vector<RuntimeCandidate>& found,
                             const std::wstring& failure)>
      noneTakenMessage;
};

struct SearchResult {
  // Every runtime found, in the order found, each folder once.
  std::vector<RuntimeCandidate> found;
  // The one taken, an index into found; nothing when none can be.
  std::optional<std::size_t> chosen;
};

// Searches the sources in order; the first that yields a runtime that can be
// taken wins, and of its runtimes the highest version (the first found of
// equal ones). Every source searched and every runtime found, with its
// version, bitness and whether it is taken, goes to the log. Nothing here
// raises for what a machine holds: a key, folder or file that cannot be read
// is logged and passed over.
SearchResult SearchJavaRuntimes(const RuntimeSearch& search, RegistryProvider& registry,
                                FileSystem& files, DecisionLog& log);

// Where a runtime has its java.exe, below its folder.
inline constexpr std::wstring_view kJavaProgramInRuntime = L"\\bin\\java.exe";

// The largest java.exe the search reads whole, for its version resource;
// the java.exe of every release so far is below a megabyte.
inline constexpr std::size_t kLargestJavaProgram = std::size_t{8} * 1024 * 1024;

// What a java.exe's first bytes (or all of them) say: its machine, and the
// version of its version resource. Raises tq::Error when it cannot be read.
struct JavaProgram {
  std::optional<std::uint16_t> machine;
  std::optional<JavaVersion> version;
};
JavaProgram ReadJavaProgram(FileSystem& files, const std::wstring& javaPath);

// Why a runtime of that machine is not one the bits allow, or empty.
std::wstring BitsRefusal(RuntimeBits bits, std::optional<std::uint16_t> machine);

}  // namespace tq
