// Keeps one Wine process alive for a whole test run, so that Wine does not
// shut its desktop and services down between two tests.
//   idle.exe             waits for ever
//   idle.exe --warm-up   starts what the first GUI program of a new Wine
//                        session would otherwise wait for (the COM services,
//                        the desktop window), then ends
#include <cwchar>

#include "platform/win32/unique_any.h"
#include "platform/win32/windows_api.h"

// After windows_api.h: COM's initialisation calls and its smart pointer.
#include <objbase.h>
#include <wrl/client.h>

namespace {

// COM on the calling thread, held as whether CoInitializeEx succeeded: each
// success is balanced by one CoUninitialize (WIL's
// unique_couninitialize_call).
void CoUninitializeCall(bool /*initialized*/) noexcept { CoUninitialize(); }
using UniqueCoUninitializeCall = tq::UniqueAny<bool, &CoUninitializeCall, 0>;

void WarmUp(HINSTANCE instance) {
  if (const UniqueCoUninitializeCall com(
          SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
      com) {
    // Any out-of-process-capable activation brings the RPC services up.
    Microsoft::WRL::ComPtr<IUnknown> object;
    CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                     reinterpret_cast<void**>(object.GetAddressOf()));
  }
  const tq::UniqueHwnd window(CreateWindowExW(0, L"STATIC", L"warm-up", WS_POPUP | WS_VISIBLE, 0, 0,
                                              1, 1, nullptr, nullptr, instance, nullptr));
  MSG message{};
  for (int i = 0; i < 20; ++i) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageW(&message);
    }
    Sleep(10);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR commandLine, int /*show*/) {
  if (std::wcsstr(commandLine, L"--warm-up") != nullptr) {
    WarmUp(instance);
    return 0;
  }
  Sleep(INFINITE);
  return 0;
}
