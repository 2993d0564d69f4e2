// RegGetValue's size arithmetic against a registry that answers whatever
// sizes a broken or hostile one could.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/error.h"
#include "registry/m_registry.h"
#include "tests/host/one_key_registry.h"

namespace tq {
namespace {

using namespace std::string_literals;

// Answers every query with the same status, type and size, as a broken or
// hostile registry could.
class FixedAnswer final : public OneKeyRegistry {
 public:
  FixedAnswer(std::int32_t status, std::uint32_t type, std::uint32_t size)
      : OneKeyRegistry(9), status_(status), type_(type), size_(size) {}

  std::vector<std::uint32_t> bufferSizes;

  std::int32_t QueryValue(KeyHandle, const std::string&, std::uint32_t*, std::uint32_t* type,
                          std::uint8_t*, std::uint32_t* size) override {
    bufferSizes.push_back(*size);
    *type = type_;
    *size = size_;
    return status_;
  }

 private:
  std::int32_t status_;
  std::uint32_t type_;
  std::uint32_t size_;
};

int ErrorNumberOf(FixedAnswer& registry) {
  try {
    RegGetValue(registry, kHkeyLocalMachine, L"Key", L"Value");
  } catch (const Error& error) {
    EXPECT_EQ(registry.openHandles, 0);
    return error.number();
  }
  return 0;
}

TEST(RegistrySizeArithmeticTest, SizesAreSigned32BitAndTheirArithmeticIsChecked) {
  // 0x80000000 is the smallest signed 32-bit number: size - 1 overflows.
  FixedAnswer smallestString(kErrorSuccess, kRegSz, 0x80000000U);
  EXPECT_EQ(ErrorNumberOf(smallestString), kOverflow);
  FixedAnswer multi(kErrorSuccess, kRegMultiSz, 0x80000001U);
  EXPECT_EQ(ErrorNumberOf(multi), kOverflow);

  // Other negative sizes are merely too small.
  FixedAnswer negativeString(kErrorSuccess, kRegSz, 0xFFFFFFF0U);
  EXPECT_EQ(RegGetValue(negativeString, kHkeyLocalMachine, L"Key", L"Value"), RegVariant(L""s));
  FixedAnswer negativeBinary(kErrorSuccess, kRegBinary, 0x80000000U);
  EXPECT_EQ(RegGetValue(negativeBinary, kHkeyLocalMachine, L"Key", L"Value"),
            RegVariant(ByteArray{}));

  // No buffer can have a negative size.
  FixedAnswer negativeNeed(kErrorMoreData, kRegBinary, 0x90000000U);
  EXPECT_EQ(ErrorNumberOf(negativeNeed), kOverflow);
  EXPECT_EQ(negativeNeed.bufferSizes, std::vector<std::uint32_t>{1024});

  // A size beyond the buffer of a successful query counts as the buffer.
  FixedAnswer tooLarge(kErrorSuccess, kRegBinary, 5000);
  EXPECT_EQ(RegGetValue(tooLarge, kHkeyLocalMachine, L"Key", L"Value"),
            RegVariant(ByteArray(1024)));
}

TEST(RegistrySizeArithmeticTest, ARetryThatStillFindsTooLittleRoomIsNotRepeated) {
  FixedAnswer alwaysMore(kErrorMoreData, kRegSz, 1500);
  EXPECT_EQ(RegGetValue(alwaysMore, kHkeyLocalMachine, L"Key", L"Value"),
            RegVariant(std::wstring(1499, L'\0')));
  EXPECT_EQ(alwaysMore.bufferSizes, (std::vector<std::uint32_t>{1024, 1500}));
}

}  // namespace
}  // namespace tq
