#pragma once

#include <string>

namespace tq {

// The mark that an application started by the launcher of a folder runs.
// It is held by the launcher that claimed it and by the programs that
// launcher starts with inherited handles, and it is gone as soon as the
// last of them has ended, whichever way it ended.
class InstanceGuard {
 public:
  virtual ~InstanceGuard() = default;

  // Claims the mark of the launcher folder. False when it is held already
  // (by another user's launcher of that folder too). Raises tq::Error when
  // it can be neither claimed nor found held.
  virtual bool Claim(const std::wstring& launcherFolder) = 0;
};

}  // namespace tq
