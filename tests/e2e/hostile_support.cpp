#include "tests/e2e/hostile_support.h"

#include <stdexcept>

#include "platform/win32/unique_any.h"
#include "tests/e2e/registry_scope.h"
#include "tests/e2e/window_watch.h"
#include "tests/launcher_expectations.h"
#include "tests/launcher_texts.h"

namespace tq::e2e {
namespace {

void CreateKey(HKEY parent, const std::wstring& path, UniqueHkey& key) {
  const LSTATUS status =
      RegCreateKeyExW(parent, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE | KEY_WOW64_32KEY,
                      nullptr, key.put(), nullptr);
  if (status != ERROR_SUCCESS) {
    throw std::runtime_error("registry: cannot create a key (" + std::to_string(status) + ")");
  }
}

void SetValue(HKEY key, const std::wstring& name, DWORD type, const void* data, DWORD size) {
  const LSTATUS status =
      RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
  if (status != ERROR_SUCCESS) {
    throw std::runtime_error("registry: cannot set a value (" + std::to_string(status) + ")");
  }
}

}  // namespace

void CreateVersionKeys(int count, const std::function<std::wstring(int)>& nameOf,
                       const std::wstring& javaHome) {
  UniqueHkey base;
  CreateKey(HKEY_LOCAL_MACHINE, expected::kJavaRuntimeKey, base);
  const DWORD size = static_cast<DWORD>((javaHome.size() + 1) * sizeof(wchar_t));
  for (int index = 0; index < count; ++index) {
    UniqueHkey version;
    CreateKey(base.get(), nameOf(index), version);
    SetValue(version.get(), L"JavaHome", REG_SZ, javaHome.c_str(), size);
  }
}

void SetValueDirectly(const std::wstring& key, const std::wstring& name, DWORD type,
                      const void* data, DWORD size) {
  UniqueHkey opened;
  CreateKey(HKEY_LOCAL_MACHINE, key, opened);
  SetValue(opened.get(), name, type, data, size);
}

std::vector<std::wstring> AnswerEveryBox(
    WatchedProcess& launcher, unsigned timeoutMilliseconds,
    const std::function<void(std::size_t, const std::wstring&)>& beforeOk) {
  std::vector<std::wstring> texts;
  const Tick end = Now() + timeoutMilliseconds;
  HWND answered = nullptr;
  while (launcher.Running() && Now() < end) {
    HWND box = NextMessageBox(launcher.pid(), answered);
    if (box == nullptr) {
      Sleep(20);
      continue;
    }
    const MessageBoxView view = ReadMessageBox(box);
    if (view.title != text::kLauncherTitle) {
      texts.push_back(L"<box titled " + view.title + L"> " + view.text);
    } else {
      texts.push_back(view.text);
    }
    if (beforeOk) {
      beforeOk(texts.size() - 1, view.text);
    }
    PressButton(box, IDOK);
    answered = box;
    WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 5000);
  }
  return texts;
}

}  // namespace tq::e2e
