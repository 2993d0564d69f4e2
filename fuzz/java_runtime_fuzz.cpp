// Feeds what a candidate runtime is read from any bytes: as a java.exe (its machine and version
// resource), as a release file, and as two version texts (the bytes before and after the first
// line break, each byte a character). Besides the sanitizers' checks, what is read must read the
// same again and compare consistently.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "runtime/java_version.h"
#include "runtime/pe_image.h"

namespace tq::fuzz {
namespace {

void CheckVersion(const JavaVersion& version) {
  const std::optional<JavaVersion> again = ParseJavaVersion(version.Text());
  Check(again && again->Numbers() == version.Numbers() && again->Text() == version.Text(),
        "a version's text reads as the same version");
  Check(!version.Numbers().empty() && version.Numbers().size() <= 8, "one to eight numbers");
  Check(std::all_of(version.Numbers().begin(), version.Numbers().end(),
                    [](unsigned number) { return number <= 999999; }),
        "no number over 999999");
  Check(version == version && (version <=> version) == 0, "a version equals itself");
}

void CheckPair(const JavaVersion& left, const JavaVersion& right) {
  Check((left <=> right) == (0 <=> (right <=> left)), "the order is antisymmetric");
  Check((left == right) == ((left <=> right) == 0), "equality is the order's");
}

std::optional<JavaVersion> Parsed(std::string_view bytes) {
  std::wstring text;
  for (const char c : bytes) {
    text += static_cast<wchar_t>(static_cast<unsigned char>(c));
  }
  std::optional<JavaVersion> version = ParseJavaVersion(text);
  if (version) {
    CheckVersion(*version);
    Check(version->Text() == text, "a version keeps its text");
  }
  return version;
}

}  // namespace
}  // namespace tq::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using tq::fuzz::Check;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  const std::optional<std::uint16_t> machine = tq::PeMachine(bytes);
  const auto fileVersion = tq::PeFileVersion(bytes);
  Check(!fileVersion || machine, "a version resource is read only from a PE image");
  if (machine) {
    const std::wstring name = tq::MachineName(*machine);
    Check(!tq::IsMachine32Bit(*machine) || name.starts_with(L"32-bit"), "32-bit is named so");
  }
  std::optional<tq::JavaVersion> fromFile;
  if (fileVersion) {
    const auto [a, b, c, d] = *fileVersion;
    fromFile = tq::VersionFromFileVersion(a, b, c, d);
    Check(fromFile.has_value() == (a != 0), "every file version but 0.x stands for a version");
    if (fromFile) {
      tq::fuzz::CheckVersion(*fromFile);
    }
  }

  const std::optional<tq::JavaVersion> released = tq::ReleaseFileVersion(bytes);
  if (released) {
    tq::fuzz::CheckVersion(*released);
    const std::wstring& text = released->Text();
    Check(bytes.find(std::string(text.begin(), text.end())) != std::string_view::npos,
          "the release file's version is its text");
  }

  const std::size_t lineEnd = std::min(bytes.find('\n'), bytes.size());
  const std::optional<tq::JavaVersion> first = tq::fuzz::Parsed(bytes.substr(0, lineEnd));
  const std::optional<tq::JavaVersion> second =
      tq::fuzz::Parsed(bytes.substr(std::min(lineEnd + 1, bytes.size())));
  if (first && second) {
    tq::fuzz::CheckPair(*first, *second);
  }
  if (first && fromFile) {
    tq::fuzz::CheckPair(*first, *fromFile);
  }
  return 0;
}
