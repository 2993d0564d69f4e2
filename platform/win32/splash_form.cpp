#include "platform/win32/splash_form.h"

#include <utility>

#include "launcher/startup_sequence.h"
#include "platform/win32/win32_error.h"

namespace tq {
namespace {

constexpr wchar_t kClassName[] = L"frmSplash";
constexpr UINT_PTR kTimer1 = 1;
constexpr COLORREF kLightGrey = RGB(192, 192, 192);
constexpr int kApplicationIcon = 1;

// The window's client area in twips, as designed.
constexpr int kClientWidthTwips = 7440;
constexpr int kClientHeightTwips = 6660;
constexpr int kTwipsPerInch = 1440;

struct ScreenDpi {
  int x = 96;
  int y = 96;
};

ScreenDpi ReadScreenDpi() {
  ScreenDpi dpi;
  if (const UniqueScreenDc screen(GetDC(nullptr)); screen) {
    dpi.x = GetDeviceCaps(screen.get(), LOGPIXELSX);
    dpi.y = GetDeviceCaps(screen.get(), LOGPIXELSY);
  }
  return dpi;
}

HICON LoadApplicationIcon(HINSTANCE instance, int widthMetric, int heightMetric) {
  return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kApplicationIcon), IMAGE_ICON,
                                       GetSystemMetrics(widthMetric),
                                       GetSystemMetrics(heightMetric), LR_SHARED));
}

}  // namespace

SplashForm::SplashForm(HINSTANCE instance)
    : instance_(instance), background_(CreateSolidBrush(kLightGrey)) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &SplashForm::WindowProc;
  windowClass.hInstance = instance_;
  windowClass.hIcon = LoadApplicationIcon(instance_, SM_CXICON, SM_CYICON);
  windowClass.hIconSm = LoadApplicationIcon(instance_, SM_CXSMICON, SM_CYSMICON);
  windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  windowClass.hbrBackground = background_.get();
  windowClass.lpszClassName = kClassName;
  if (RegisterClassExW(&windowClass) == 0) {
    throw ErrorFromWin32(GetLastError());
  }
}

SplashForm::~SplashForm() {
  Close();
  UnregisterClassW(kClassName, instance_);
}

void SplashForm::Show(std::function<void()> onTimer1) {
  onTimer1_ = std::move(onTimer1);

  // Image1 covers the client area as created, and keeps that size after.
  const ScreenDpi dpi = ReadScreenDpi();
  image1Bounds_ = RECT{0, 0, MulDiv(kClientWidthTwips, dpi.x, kTwipsPerInch),
                       MulDiv(kClientHeightTwips, dpi.y, kTwipsPerInch)};
  image1_ = SplashPicture::Load(instance_, kSplashPictureResource);

  RECT frame = image1Bounds_;
  constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW;
  AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;

  HWND window = CreateWindowExW(0, kClassName, kProductTitle, kStyle, left, top, width, height,
                                nullptr, nullptr, instance_, this);
  if (window == nullptr) {
    throw ErrorFromWin32(GetLastError());
  }
  window_.reset(window);
  // Timer1 counts from the creation of the window.
  if (SetTimer(window_.get(), kTimer1, kSplashMilliseconds, nullptr) == 0) {
    throw ErrorFromWin32(GetLastError());
  }
  ShowWindow(window_.get(), SW_SHOWNORMAL);
  UpdateWindow(window_.get());
}

void SplashForm::Close() {
  if (window_) {
    closingForTick_ = true;
    window_.reset();
  }
}

LRESULT CALLBACK SplashForm::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<SplashForm*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) {
    return DefWindowProcW(window, message, wParam, lParam);
  }
  // Nothing may leave a window procedure by an exception.
  try {
    return self->Handle(window, message, wParam, lParam);
  } catch (...) {
    ExitProcess(kExitUntrappedError);
  }
}

LRESULT SplashForm::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam == kTimer1 && onTimer1_) {
        // The handler ends the process; it runs once because it closes this
        // window, and the timer with it, before anything else.
        const std::function<void()> onTimer1 = std::exchange(onTimer1_, nullptr);
        onTimer1();
      }
      return 0;
    case WM_ERASEBKGND:
      EraseAroundImage1(reinterpret_cast<HDC>(wParam));
      return 1;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_PRINTCLIENT:
      image1_.Draw(reinterpret_cast<HDC>(wParam), image1Bounds_);
      return 0;
    case WM_DESTROY:
      KillTimer(window, kTimer1);
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      window_.release();  // The system destroys it.
      // Closed by the user before the first tick: nothing is left to do and
      // the message loop ends. Closed by the tick itself: the loop must not
      // end, or a WM_QUIT left in the queue would make every message box
      // that follows return at once.
      if (!closingForTick_) {
        PostQuitMessage(0);
      }
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

// Only the part that Image1 leaves uncovered gets the grey background, so
// the picture does not flash grey when the window is resized or uncovered.
void SplashForm::EraseAroundImage1(HDC dc) const {
  RECT client{};
  GetClientRect(window_.get(), &client);
  const int saved = SaveDC(dc);
  if (!image1_.empty()) {
    ExcludeClipRect(dc, image1Bounds_.left, image1Bounds_.top, image1Bounds_.right,
                    image1Bounds_.bottom);
  }
  FillRect(dc, &client, background_.get());
  RestoreDC(dc, saved);
}

void SplashForm::Paint() {
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(window_.get(), &paint);
  if (dc != nullptr) {
    image1_.Draw(dc, image1Bounds_);
    EndPaint(window_.get(), &paint);
  }
}

int RunMessageLoop() {
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  // The user closed the splash: an ordinary end, with nothing started.
  return 0;
}

}  // namespace tq
