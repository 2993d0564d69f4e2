#pragma once

#include <string>
#include <vector>

namespace tq {

// The calls that the in-memory doubles received, in order, one line each
// ("StartHidden java -classpath ...", "ShowMessage Error While ..."), so a
// test can check the order across several doubles.
struct Journal {
  std::vector<std::wstring> lines;

  void Add(const std::wstring& operation, const std::wstring& argument = {}) {
    lines.push_back(argument.empty() ? operation : operation + L" " + argument);
  }
};

}  // namespace tq
