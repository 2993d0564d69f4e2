#pragma once

#include <functional>

#include "platform/win32/splash_picture.h"
#include "platform/win32/unique_any.h"
#include "platform/win32/windows_api.h"

namespace tq {

inline constexpr wchar_t kProductTitle[] = L"Tovane Quillon";

// The start-up window frmSplash with its picture Image1 and its timer
// Timer1: the product's picture under the product's caption, centred, in a
// standard sizable frame. Image1 keeps its place and size when the window is
// resized; the grey background shows wherever it does not reach. The timer's
// first tick runs the handler given to Show; a later tick never comes,
// because the handler closes the window first.
class SplashForm {
 public:
  explicit SplashForm(HINSTANCE instance);
  SplashForm(const SplashForm&) = delete;
  SplashForm& operator=(const SplashForm&) = delete;
  ~SplashForm();

  // Creates and shows the window and starts Timer1. Raises tq::Error when
  // the window cannot be created.
  void Show(std::function<void()> onTimer1);

  // Destroys the window and its timer at once. Closing it this way does not
  // end the message loop.
  void Close();

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Hands each message to its handler below.
  LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnTimer(WPARAM timer);
  LRESULT OnEraseBackground(HDC dc) const;
  LRESULT OnPaint();
  LRESULT OnDestroy(HWND window);

  HINSTANCE instance_;
  UniqueHbrush background_;
  // frmSplash: the splash window itself.
  UniqueHwnd window_;
  // Image1: the picture, drawn into image1Bounds_ of the client area.
  SplashPicture image1_;
  RECT image1Bounds_{};
  bool closingForTick_ = false;
  // What Timer1's first tick runs: the start-up sequence (Timer1_Timer).
  std::function<void()> onTimer1_;
};

// Runs the thread's message loop until the splash window is closed by the
// user; returns the exit code for that case.
int RunMessageLoop();

}  // namespace tq
