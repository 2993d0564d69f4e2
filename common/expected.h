#pragma once

#include <utility>
#include <variant>

namespace tq {

// The problem in place of a value, to make an Expected of it.
template <class Problem>
struct Unexpected {
  Problem problem;
};

// A value, or the problem that kept it from being made, in the manner of
// C++23's std::expected: what each step of reading the settings file gives.
template <class Value, class Problem>
class Expected {
 public:
  // Not explicit: a step returns its value, or its Unexpected, as it is.
  Expected(Value value) : state_(std::in_place_index<0>, std::move(value)) {}
  Expected(Unexpected<Problem> failed)
      : state_(std::in_place_index<1>, std::move(failed.problem)) {}

  explicit operator bool() const noexcept { return state_.index() == 0; }
  // Only when there is a value.
  Value& value() { return std::get<0>(state_); }
  [[nodiscard]] const Value& value() const { return std::get<0>(state_); }
  Value* operator->() { return &value(); }
  const Value* operator->() const { return &value(); }
  const Value& operator*() const { return value(); }
  // Only when there is none.
  [[nodiscard]] const Problem& error() const { return std::get<1>(state_); }

 private:
  std::variant<Value, Problem> state_;
};

// The problem of a step that failed, for the step that called it to give.
template <class Value, class Problem>
Unexpected<Problem> ProblemOf(const Expected<Value, Problem>& failed) {
  return {failed.error()};
}

}  // namespace tq
