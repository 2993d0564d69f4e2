#include "platform/win32/splash_form.h"

#include <utility>

#include "launcher/startup_sequence.h"
#include "platform/win32/splash_layout.h"
#include "platform/win32/win32_error.h"

namespace tq {
namespace {

// frmSplash's window class.
constexpr wchar_t kClassName[] = L"frmSplash";
// Timer1: the splash's one timer; its first tick starts the launch.
constexpr UINT_PTR kTimer1 = 1;
constexpr COLORREF kLightGrey = RGB(192, 192, 192);
constexpr int kApplicationIcon = 1;

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
  ThrowLastErrorIf(RegisterClassExW(&windowClass) == 0);
}

SplashForm::~SplashForm() {
  Close();
  // Unregistering the class deletes its background brush: it must not be
  // deleted a second time, when its handle may already name another object.
  if (UnregisterClassW(kClassName, instance_)) {
    background_.release();
  }
}

void SplashForm::Show(std::function<void()> onTimer1) {
  onTimer1_ = std::move(onTimer1);
  const SplashLayout layout = LayOutSplash(ReadScreenDpi(), ReadScreenSize());
  image1Bounds_ = layout.image1;
  image1_ = SplashPicture::Load(instance_, kSplashPictureResource);
  const RECT& frame = layout.frame;
  HWND window = CreateWindowExW(0, kClassName, kProductTitle, kSplashStyle, frame.left, frame.top,
                                frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                nullptr, instance_, this);
  ThrowLastErrorIf(window == nullptr);
  window_.reset(window);
  // Timer1 counts from the creation of the window.
  ThrowLastErrorIf(SetTimer(window_.get(), kTimer1, kSplashMilliseconds, nullptr) == 0);
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
      return OnTimer(wParam);
    case WM_ERASEBKGND:
      return OnEraseBackground(reinterpret_cast<HDC>(wParam));
    case WM_PAINT:
      return OnPaint();
    case WM_PRINTCLIENT:
      image1_.Draw(reinterpret_cast<HDC>(wParam), image1Bounds_);
      return 0;
    case WM_DESTROY:
      return OnDestroy(window);
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

LRESULT SplashForm::OnTimer(WPARAM timer) {
  if (timer == kTimer1 && onTimer1_) {
    // The handler ends the process; it runs once because it closes this
    // window, and the timer with it, before anything else.
    const std::function<void()> onTimer1 = std::exchange(onTimer1_, nullptr);
    onTimer1();
  }
  return 0;
}

// Only the part that Image1 leaves uncovered gets the grey background, so
// the picture does not flash grey when the window is resized or uncovered.
LRESULT SplashForm::OnEraseBackground(HDC dc) const {
  RECT client{};
  GetClientRect(window_.get(), &client);
  const int saved = SaveDC(dc);
  if (!image1_.empty()) {
    ExcludeClipRect(dc, image1Bounds_.left, image1Bounds_.top, image1Bounds_.right,
                    image1Bounds_.bottom);
  }
  FillRect(dc, &client, background_.get());
  RestoreDC(dc, saved);
  return 1;  // erased
}

LRESULT SplashForm::OnPaint() {
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(window_.get(), &paint);
  if (dc != nullptr) {
    image1_.Draw(dc, image1Bounds_);
    EndPaint(window_.get(), &paint);
  }
  return 0;
}

LRESULT SplashForm::OnDestroy(HWND window) {
  KillTimer(window, kTimer1);
  SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  window_.release();  // The system destroys it.
  // Closed by the user before the first tick: nothing is left to do and
  // the message loop ends. Closed by the tick itself: the loop must not
  // end, or a WM_QUIT left in the queue would make every message box that
  // follows return at once.
  if (!closingForTick_) {
    PostQuitMessage(0);
  }
  return 0;
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
