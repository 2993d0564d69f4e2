#pragma once

#include <cstdio>
#include <cstdlib>

namespace tq::fuzz {

// Ends the run with the rule's text when the rule is broken, so libFuzzer
// keeps the input as a crash.
inline void Check(bool condition, const char* rule) {
  if (!condition) {
    std::fprintf(stderr, "broken rule: %s\n", rule);
    std::abort();
  }
}

}  // namespace tq::fuzz
