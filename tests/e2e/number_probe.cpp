// number_probe.exe: shows how this machine's user number format reads a
// text, in a process of its own. A process may keep the format it read
// first, so a test that changes the format proves the change in a new one.
// See number_probe.h for the protocol.

#include "tests/e2e/number_probe.h"

#include <cmath>

#include "platform/win32/windows_api.h"

int wmain(int argc, wchar_t** argv) {
  using namespace tq::e2e;
  if (argc != 2) {
    return static_cast<int>(kNumberProbeNoNumber);
  }
  double value = 0;
  if (FAILED(VarR8FromStr(argv[1], LOCALE_USER_DEFAULT, 0, &value)) || value < 0 ||
      value * kNumberProbeScale >= static_cast<double>(kNumberProbeNoNumber)) {
    return static_cast<int>(kNumberProbeNoNumber);
  }
  return static_cast<int>(std::llround(value * kNumberProbeScale));
}
