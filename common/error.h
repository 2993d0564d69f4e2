#pragma once

#include <string>
#include <utility>

namespace tq {

// A failure as it travels between procedures: a number and a description,
// in the manner of the runtime errors users of this launcher know
// ("53 File not found"). Raised with `throw`, taken by the few handlers
// that exist: discovery's, the support installation's and the top-level
// report of the start-up sequence.
class Error {
 public:
  Error(int number, std::wstring description)
      : number_(number), description_(std::move(description)) {}

  [[nodiscard]] int number() const noexcept { return number_; }
  [[nodiscard]] const std::wstring& description() const noexcept { return description_; }

 private:
  int number_;
  std::wstring description_;
};

// The launcher's own error, raised by the registry value reader.
inline constexpr int kUnsupportedValueType = 1001;

// Numbers of the well-known runtime errors the launcher raises.
inline constexpr int kInvalidProcedureCall = 5;
inline constexpr int kOverflow = 6;
inline constexpr int kOutOfMemory = 7;
inline constexpr int kTypeMismatch = 13;
inline constexpr int kFileNotFound = 53;
inline constexpr int kPermissionDenied = 70;
inline constexpr int kPathNotFound = 76;
inline constexpr int kDuplicateKey = 457;

Error UnsupportedValueType();
Error InvalidProcedureCall();
Error Overflow();
Error OutOfMemory();
Error TypeMismatch();
Error FileNotFound();
Error PermissionDenied();
Error PathNotFound();
Error DuplicateKey();

}  // namespace tq
