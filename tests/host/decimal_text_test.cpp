#include "common/decimal_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace tq {
namespace {

TEST(DecimalTextTest, GivesTheStandardLibrarysTextForEveryRange) {
  for (const long long value : {0LL, 7LL, -1LL, 53LL, -2147024809LL, 4294967295LL,
                                static_cast<long long>(INT_MIN), LLONG_MIN, LLONG_MAX}) {
    EXPECT_EQ(DecimalText(value), std::to_wstring(value)) << value;
  }
}

}  // namespace
}  // namespace tq
