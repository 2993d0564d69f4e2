#include "runtime/java_version.h"

#include <gtest/gtest.h>

#include <compare>
#include <optional>
#include <string>
#include <vector>

namespace tq {
namespace {

using Numbers = std::vector<unsigned>;

// A version's text, or "" for none (which no version's text is).
std::wstring TextOf(const std::optional<JavaVersion>& version) {
  return version ? version->Text() : L"";
}

TEST(JavaVersionTest, ReadsTheNumbersOfWhatIsAVersionAndNothingElse) {
  const struct {
    const wchar_t* text;
    Numbers numbers;
  } versions[] = {{L"1.8", {8}},
                  {L"1.8.0_392", {8, 0, 392}},
                  {L"11.0.2", {11, 0, 2}},
                  {L"17.0.9+9", {17, 0, 9}},
                  {L"1.8.0_392-b08", {8, 0, 392}},
                  {L"21-ea", {21}},
                  {L"21.0.1+12-LTS", {21, 0, 1}},
                  {L"1.5", {5}},
                  {L"999999.1.2.3.4.5.6.7", {999999, 1, 2, 3, 4, 5, 6, 7}}};
  for (const auto& v : versions) {
    const std::optional<JavaVersion> version = ParseJavaVersion(v.text);
    ASSERT_TRUE(version) << v.text;
    EXPECT_EQ(version->Numbers(), v.numbers) << v.text;
    EXPECT_EQ(version->Text(), v.text);
  }
  for (const wchar_t* text :
       {L"", L"x", L"v1.8", L" 8", L"1..2", L"8.", L"8u392", L"1.8.0_39x", L"-1", L"1000000",
        L"1.2.3.4.5.6.7.8.9", L"17.0.9+9 LTS", L"17-\u00e9"}) {
    EXPECT_FALSE(ParseJavaVersion(text)) << text;
  }
}

TEST(JavaVersionTest, ComparesAsAPersonDoes) {
  const struct {
    const wchar_t* left;
    std::strong_ordering order;
    const wchar_t* right;
  } cases[] = {{L"1.8", std::strong_ordering::equal, L"8"},
               {L"1.8.0_392", std::strong_ordering::less, L"11.0.2"},
               {L"11.0.10", std::strong_ordering::greater, L"11.0.2"},
               {L"17", std::strong_ordering::equal, L"17.0.0"},
               {L"1.5", std::strong_ordering::less, L"1.6.0_45"},
               {L"17.0.9+9", std::strong_ordering::equal, L"17.0.9"},
               {L"17.0.0.1", std::strong_ordering::greater, L"17"}};
  for (const auto& c : cases) {
    const JavaVersion left = ParseJavaVersion(c.left).value();
    const JavaVersion right = ParseJavaVersion(c.right).value();
    EXPECT_EQ(left <=> right, c.order) << c.left << L" " << c.right;
    EXPECT_EQ(left == right, c.order == std::strong_ordering::equal) << c.left << L" " << c.right;
  }
}

TEST(JavaVersionTest, ReadsTheReleaseFilesJavaVersion) {
  const struct {
    std::string bytes;
    const wchar_t* text;
  } cases[] = {
      {"IMPLEMENTOR=\"Azul\"\nJAVA_VERSION=\"17.0.9\"\nOS_NAME=\"Windows\"\n", L"17.0.9"},
      {"JAVA_VERSION_DATE=\"2023\"\r\nJAVA_VERSION=\"1.8.0_392\"\r\nOS_ARCH=\"x86\"", L"1.8.0_392"},
      {"\xEF\xBB\xBFJAVA_VERSION=\"11.0.2\"", L"11.0.2"},
      {"JAVA_VERSION=1.6.0_45\r\nOS_NAME=Windows", L"1.6.0_45"},
      {"JAVA_VERSION_DATE=\"2023-10-17\"\n", L""},
      {" JAVA_VERSION=\"17\"\njava_version=\"17\"", L""},
      {"JAVA_VERSION=\"17.0.9\n", L""},
      {"JAVA_VERSION=\"seventeen\"\nJAVA_VERSION=\"17\"", L""},
      {"JAVA_VERSION=\"17-\xC3\xA9\"", L""},
      {"", L""}};
  for (const auto& c : cases) {
    EXPECT_EQ(TextOf(ReleaseFileVersion(c.bytes)), c.text) << c.bytes;
  }
}

TEST(JavaVersionTest, ReadsTheFileVersionAsTheOpenJdkBuildWritesIt) {
  const struct {
    unsigned a, b, c, d;
    const wchar_t* text;
  } cases[] = {
      {8, 0, 3920, 8, L"1.8.0_392"}, {8, 0, 600, 27, L"1.8.0_60"}, {8, 0, 45, 9, L"1.8.0_45"},
      {8, 0, 0, 132, L"1.8.0"},      {7, 0, 800, 15, L"1.7.0_80"}, {6, 0, 451, 6, L"1.6.0_45"},
      {5, 0, 220, 3, L"1.5.0_22"},   {17, 0, 9, 0, L"17.0.9"},     {11, 0, 2, 0, L"11.0.2"},
      {21, 0, 0, 0, L"21"},          {13, 0, 5, 1, L"13.0.5.1"},   {0, 0, 0, 0, L""},
      {0, 8, 3920, 8, L""}};
  for (const auto& c : cases) {
    EXPECT_EQ(TextOf(VersionFromFileVersion(c.a, c.b, c.c, c.d)), c.text) << c.a << "." << c.c;
  }
}

}  // namespace
}  // namespace tq
