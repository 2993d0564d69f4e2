#include "runtime/java_version.h"

#include <gtest/gtest.h>

#include <compare>
#include <optional>
#include <string>
#include <vector>

namespace tq {
namespace {

using Numbers = std::vector<unsigned>;

TEST(JavaVersionTest, ReadsTheNumbersOfWhatIsAVersionAndNothingElse) {
  const struct {
    const wchar_t* text;
    std::optional<Numbers> numbers;
  } cases[] = {
      {L"1.8", Numbers{8}},
      {L"8", Numbers{8}},
      {L"1.8.0_392", Numbers{8, 0, 392}},
      {L"11.0.2", Numbers{11, 0, 2}},
      {L"17.0.9+9", Numbers{17, 0, 9}},
      {L"1.8.0_392-b08", Numbers{8, 0, 392}},
      {L"21-ea", Numbers{21}},
      {L"21.0.1+12-LTS", Numbers{21, 0, 1}},
      {L"17.0.9+9 LTS", std::nullopt},
      {L"17-\u00e9", std::nullopt},
      {L"1.5", Numbers{5}},
      {L"1", Numbers{1}},
      {L"1.8.0_05", Numbers{8, 0, 5}},
      {L"999999.1.2.3.4.5.6.7", Numbers{999999, 1, 2, 3, 4, 5, 6, 7}},
      {L"", std::nullopt},
      {L"x", std::nullopt},
      {L"v1.8", std::nullopt},
      {L" 8", std::nullopt},
      {L"8 ", std::nullopt},
      {L"1..2", std::nullopt},
      {L"8.", std::nullopt},
      {L"8u392", std::nullopt},
      {L"1.8.0_39x", std::nullopt},
      {L"-1", std::nullopt},
      {L"1000000", std::nullopt},
      {L"99999999999", std::nullopt},
      {L"1.2.3.4.5.6.7.8.9", std::nullopt},
  };
  for (const auto& c : cases) {
    const std::optional<JavaVersion> version = ParseJavaVersion(c.text);
    ASSERT_EQ(version.has_value(), c.numbers.has_value()) << c.text;
    if (version) {
      EXPECT_EQ(version->Numbers(), *c.numbers) << c.text;
      EXPECT_EQ(version->Text(), c.text);
    }
  }
}

TEST(JavaVersionTest, ComparesAsAPersonDoes) {
  const struct {
    const wchar_t* left;
    std::strong_ordering order;
    const wchar_t* right;
  } cases[] = {
      {L"1.8", std::strong_ordering::equal, L"8"},
      {L"8.0", std::strong_ordering::equal, L"8"},
      {L"1.8.0_392", std::strong_ordering::less, L"11.0.2"},
      {L"11.0.10", std::strong_ordering::greater, L"11.0.2"},
      {L"17", std::strong_ordering::equal, L"17.0.0"},
      {L"1.5", std::strong_ordering::less, L"1.6.0_45"},
      {L"17.0.9+9", std::strong_ordering::equal, L"17.0.9"},
      {L"17.0.0.1", std::strong_ordering::greater, L"17"},
  };
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
    const wchar_t* text;  // nothing when null
  } cases[] = {
      {"IMPLEMENTOR=\"Eclipse Adoptium\"\nJAVA_VERSION=\"17.0.9\"\nOS_NAME=\"Windows\"\n",
       L"17.0.9"},
      {"JAVA_VERSION_DATE=\"2023-10-17\"\r\nJAVA_VERSION=\"1.8.0_392\"\r\nOS_ARCH=\"x86\"",
       L"1.8.0_392"},
      {"\xEF\xBB\xBFJAVA_VERSION=\"11.0.2\"", L"11.0.2"},
      {"JAVA_VERSION=1.6.0_45\r\nOS_NAME=Windows", L"1.6.0_45"},
      {"JAVA_VERSION_DATE=\"2023-10-17\"\n", nullptr},
      {" JAVA_VERSION=\"17\"\njava_version=\"17\"", nullptr},
      {"JAVA_VERSION=\"17.0.9\n", nullptr},
      {"JAVA_VERSION=\"seventeen\"\nJAVA_VERSION=\"17\"", nullptr},
      {"JAVA_VERSION=\"1\xC2\xB7"
       "8\"",
       nullptr},
      {"", nullptr},
  };
  for (const auto& c : cases) {
    const std::optional<JavaVersion> version = ReleaseFileVersion(c.bytes);
    ASSERT_EQ(version.has_value(), c.text != nullptr) << c.bytes;
    if (version) {
      EXPECT_EQ(version->Text(), c.text);
    }
  }
}

TEST(JavaVersionTest, ReadsTheFileVersionAsTheOpenJdkBuildWritesIt) {
  const struct {
    unsigned a, b, c, d;
    const wchar_t* text;  // nothing when null
  } cases[] = {
      {8, 0, 3920, 8, L"1.8.0_392"}, {8, 0, 600, 27, L"1.8.0_60"}, {8, 0, 45, 9, L"1.8.0_45"},
      {8, 0, 0, 132, L"1.8.0"},      {7, 0, 800, 15, L"1.7.0_80"}, {6, 0, 451, 6, L"1.6.0_45"},
      {5, 0, 220, 3, L"1.5.0_22"},   {17, 0, 9, 0, L"17.0.9"},     {11, 0, 2, 0, L"11.0.2"},
      {21, 0, 0, 0, L"21"},          {13, 0, 5, 1, L"13.0.5.1"},   {0, 0, 0, 0, nullptr},
      {0, 8, 3920, 8, nullptr},
  };
  for (const auto& c : cases) {
    const std::optional<JavaVersion> version = VersionFromFileVersion(c.a, c.b, c.c, c.d);
    ASSERT_EQ(version.has_value(), c.text != nullptr) << c.a << "." << c.b << "." << c.c;
    if (version) {
      EXPECT_EQ(version->Text(), c.text);
    }
  }
}

}  // namespace
}  // namespace tq
