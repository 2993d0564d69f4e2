#pragma once

#include <utility>
#include <variant>

namespace tq {

// The problem in place of a value, to make an Expected of it.
template <class Problem>
struct Unexpected {
  Problem problem;
};

// A value, or the problem that kept it from being made: the steps that read
// the settings file each give one, in the manner of std::expected (C++23).
template <class Value, class Problem>
class Expected {
 public:
  // Not explicit: a step returns its value, or its Unexpected, as it is.
  Expected(Value value) : state_(std::in_place_index<0>, std::move(value)) {}
  Expected(Unexpected<Problem> unexpected)
      : state_(std::in_place_index<1>, std::move(unexpected.problem)) {}

  [[nodiscard]] bool has_value() const noexcept { return state_.index() == 0; }
  explicit operator bool() const noexcept { return has_value(); }

  // Only when there is one.
  [[nodiscard]] Value& value() & { return std::get<0>(state_); }
  [[nodiscard]] const Value& value() const& { return std::get<0>(state_); }
  [[nodiscard]] Value&& value() && { return std::get<0>(std::move(state_)); }
  Value* operator->() { return &value(); }
  const Value* operator->() const { return &value(); }
  Value& operator*() & { return value(); }
  const Value& operator*() const& { return value(); }

  // Only when there is no value.
  [[nodiscard]] const Problem& error() const& { return std::get<1>(state_); }
  [[nodiscard]] Problem&& error() && { return std::get<1>(std::move(state_)); }

 private:
  std::variant<Value, Problem> state_;
};

// The problem of a step that failed, for the step that called it to give.
template <class Value, class Problem>
Unexpected<Problem> ProblemOf(Expected<Value, Problem>&& failed) {
  return {std::move(failed).error()};
}

}  // namespace tq
