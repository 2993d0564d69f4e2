#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tq {

// A Java version as a person compares them: "1.8", "8" and "8.0" are equal; "1.8.0_392" is [8, 0,
// 392]; "11.0.2" is [11, 0, 2]; "17.0.9+9", "1.8.0_392-b08" and "21-ea" compare by their numbers
// only.
class JavaVersion {
 public:
  // The numbers after the legacy "1." of Java 1.0 to 8 is removed (1.8.0_392 -> 8, 0, 392; 1.5 ->
  // 5).
  [[nodiscard]] const std::vector<unsigned>& Numbers() const { return numbers_; }
  // As it was written ("1.8.0_392"), for messages and the log.
  [[nodiscard]] const std::wstring& Text() const { return text_; }
  // Missing trailing numbers count as 0.
  friend std::strong_ordering operator<=>(const JavaVersion& left, const JavaVersion& right);
  friend bool operator==(const JavaVersion& left, const JavaVersion& right);

 private:
  friend std::optional<JavaVersion> ParseJavaVersion(std::wstring_view text);
  JavaVersion(std::vector<unsigned> numbers, std::wstring text)
      : numbers_(std::move(numbers)), text_(std::move(text)) {}

  std::vector<unsigned> numbers_;
  std::wstring text_;
};

// Nothing when text is not a version: empty, a letter where a number must be, "1..2", a number over
// 999999, more than 8 numbers, anything before the first digit. Surrounding blanks are the caller's
// to trim.
std::optional<JavaVersion> ParseJavaVersion(std::wstring_view text);

// The JAVA_VERSION="..." line of a runtime's `release` file (bytes as read, LF or CR LF lines,
// other keys around it, maybe a UTF-8 BOM); nothing when there is none or it does not read as a
// version.
std::optional<JavaVersion> ReleaseFileVersion(std::string_view bytes);

// The version a java.exe's file version resource (a.b.c.d of VS_FIXEDFILEINFO's
// dwFileVersionMS/LS) stands for; nothing when a is 0.
std::optional<JavaVersion> VersionFromFileVersion(unsigned a, unsigned b, unsigned c, unsigned d);

}  // namespace tq
