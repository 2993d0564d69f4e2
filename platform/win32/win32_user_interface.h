#pragma once

#include "interfaces/user_interface.h"

namespace tq {

class SplashForm;

class Win32UserInterface final : public UserInterface {
 public:
  explicit Win32UserInterface(SplashForm& splash) : splash_(splash) {}

  void CloseSplash() override;
  void ShowMessage(const std::wstring& text) override;
  void Sleep(unsigned milliseconds) override;
  [[noreturn]] void EndProcess(unsigned code) override;

 private:
  SplashForm& splash_;
};

}  // namespace tq
