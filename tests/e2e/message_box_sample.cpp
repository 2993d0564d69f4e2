// A known message box in a process of its own, so the tests can prove that
// the harness's reading of another process's boxes can tell one kind of box
// from another (an icon check that can never fail proves nothing).
//
//   message_box_sample.exe plain   OK only, no icon
//   message_box_sample.exe error   OK only, with the error icon
//   message_box_sample.exe yesno   Yes and No buttons, no icon
//
// The box's title and text are kSampleTitle and kSampleText
// (message_box_sample.h); the exit code is the id of the button that closed
// the box.

#include "tests/e2e/message_box_sample.h"

#include <cstdlib>
#include <string_view>

#include "platform/win32/windows_api.h"

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR commandLine,
                    int /*show*/) {
  using namespace tq::e2e;
  const std::wstring_view kind(commandLine);
  UINT style = MB_OK;
  if (kind == kSampleError) {
    style = MB_OK | MB_ICONERROR;
  } else if (kind == kSampleYesNo) {
    style = MB_YESNO;
  }
  return MessageBoxW(nullptr, kSampleText, kSampleTitle, style | MB_SETFOREGROUND);
}
