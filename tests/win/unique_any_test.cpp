#include "platform/win32/unique_any.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace tq {
namespace {

// What the numbered owner below has closed, in order. A close function is a
// template argument and cannot carry state of its own.
std::vector<int>& ClosedNumbers() {
  static std::vector<int> closed;
  return closed;
}

void CloseNumber(int number) noexcept { ClosedNumbers().push_back(number); }

// Two values stand for nothing, as null and INVALID_HANDLE_VALUE do for
// kernel handles.
using UniqueNumber = UniqueAny<int, &CloseNumber, 0, -1>;

class UniqueAnyTest : public ::testing::Test {
 protected:
  void SetUp() override { ClosedNumbers().clear(); }
};

TEST_F(UniqueAnyTest, ClosesWhatItHoldsOnceWhereverItMovesAndNeverAnInvalidValue) {
  {
    const UniqueNumber empty;
    const UniqueNumber none(0);
    const UniqueNumber invalid(-1);
    EXPECT_FALSE(empty || none || invalid);

    UniqueNumber first(7);
    UniqueNumber moved(std::move(first));
    EXPECT_FALSE(first);
    UniqueNumber assigned(8);
    assigned = std::move(moved);
    EXPECT_EQ(ClosedNumbers(), std::vector<int>{8});
    EXPECT_EQ(assigned.get(), 7);
  }
  EXPECT_EQ(ClosedNumbers(), (std::vector<int>{8, 7}));
}

TEST_F(UniqueAnyTest, PutAndResetCloseTheOldHandleAndReleaseClosesNothing) {
  UniqueNumber owner(3);
  *owner.put() = 4;
  owner.reset(5);
  EXPECT_EQ(ClosedNumbers(), (std::vector<int>{3, 4}));
  EXPECT_EQ(owner.release(), 5);
  EXPECT_FALSE(owner);
  owner.reset();
  EXPECT_EQ(ClosedNumbers(), (std::vector<int>{3, 4}));
}

TEST(UniqueHandle, TheKernelObjectIsClosedWhenItsLastOwnerGoes) {
  const HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(event, nullptr);
  DWORD flags = 0;
  {
    UniqueHandle owner(event);
    const UniqueHandle moved(std::move(owner));
    EXPECT_TRUE(GetHandleInformation(event, &flags));
  }
  EXPECT_FALSE(GetHandleInformation(event, &flags));
}

}  // namespace
}  // namespace tq
