// Asks for GetTickCount64, which Windows XP does not have: the check of what
// the launcher imports must see it here, so that it cannot pass by seeing
// nothing.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int /*show*/) {
  return static_cast<int>(GetTickCount64() % 2);
}
