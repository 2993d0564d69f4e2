#include "runtime/decision_log.h"

#include <vector>

#include "common/decimal_text.h"
#include "common/error.h"
#include "common/text.h"
#include "common/unicode_text.h"
#include "interfaces/launcher_files.h"
#include "interfaces/system_information.h"

namespace tq {
namespace {

std::wstring TwoDigits(int number) {
  return std::wstring(number < 10 ? L"0" : L"") + DecimalText(number);
}

std::wstring ThreeDigits(int number) {
  return std::wstring(number < 100 ? L"0" : L"") + TwoDigits(number);
}

}  // namespace

std::wstring DecisionLog::Stamp(int year, int month, int day, int hour, int minute, int second,
                                int millisecond, unsigned long long sinceStart, unsigned long pid) {
  return DecimalText(year) + L"-" + TwoDigits(month) + L"-" + TwoDigits(day) + L" " +
         TwoDigits(hour) + L":" + TwoDigits(minute) + L":" + TwoDigits(second) + L"." +
         ThreeDigits(millisecond) + L" +" + DecimalText(static_cast<long long>(sinceStart)) +
         L" ms [" + DecimalText(static_cast<long long>(pid)) + L"] ";
}

void DecisionLog::Open(const std::wstring& path) {
  if (tried_ || files_ == nullptr) {
    return;
  }
  tried_ = true;
  try {
    const bool empty = files_->OpenLog(path) == 0;
    opened_ = true;
    if (empty) {
      files_->AppendLog(std::string(kUtf8ByteOrderMark));
    }
    on_ = true;
  } catch (const Error&) {
    on_ = false;
  }
}

void DecisionLog::Write(std::wstring_view text) {
  if (!on_) {
    return;
  }
  const LocalTime now = system_->Now();
  std::wstring line =
      Stamp(now.year, now.month, now.day, now.hour, now.minute, now.second, now.millisecond,
            system_->MillisecondsSinceStart(), system_->ProcessId());
  // One step, one line: line breaks in a message or an error's text would
  // break the log's shape.
  const std::vector<std::wstring_view> lines = Lines(text);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    line += i > 0 ? L" / " : L"";
    for (const wchar_t c : lines[i]) {
      line += c < L' ' ? L' ' : c;
    }
  }
  line += L"\r\n";
  try {
    files_->AppendLog(ToUtf8(line));
  } catch (const Error&) {
    on_ = false;
  }
}

}  // namespace tq
