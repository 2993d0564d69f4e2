#pragma once

#include <string>

#include "interfaces/instance_guard.h"
#include "platform/win32/unique_any.h"

namespace tq {

// The guard is a named mutex that nobody waits on: it exists as long as a
// handle to it is open. The launcher that creates it holds one until it
// ends, and hands an inheritable copy to the Java application it starts,
// whose handle the system closes when it ends, also when it crashes. The
// name (InstanceGuardName) is the machine's (Global\), so that
// another user's second copy, which would fight over the same serial port,
// is stopped too.
class Win32InstanceGuard final : public InstanceGuard {
 public:
  bool Claim(const std::wstring& launcherFolder) override;

 private:
  UniqueHandle held_;
};

}  // namespace tq
