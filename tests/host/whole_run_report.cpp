// Text for the reports of runs that broke a rule or missed the prediction.

#include <cstdint>
#include <string>

#include "tests/host/whole_run.h"

namespace tq::whole_run {

std::string Printable(std::wstring_view text) {
  constexpr std::size_t kLongest = 300;
  std::string printable;
  for (std::size_t i = 0; i < text.size() && i < kLongest; ++i) {
    const auto code = static_cast<std::uint32_t>(std::char_traits<wchar_t>::to_int_type(text[i]));
    if (code >= 0x20 && code < 0x7F) {
      printable += static_cast<char>(code);
    } else {
      static constexpr char kHex[] = "0123456789ABCDEF";
      printable += "\\u";
      for (int shift = 12; shift >= 0; shift -= 4) {
        printable += kHex[(code >> shift) & 0xF];
      }
    }
  }
  if (text.size() > kLongest) {
    printable += "...(" + std::to_string(text.size()) + " characters)";
  }
  return printable;
}

std::string Describe(const Outcome& outcome) {
  std::string text = "exit " + std::to_string(outcome.exitCode) + "; messages [";
  for (std::size_t i = 0; i < outcome.messages.size(); ++i) {
    text += (i == 0 ? "\"" : ", \"") + Printable(outcome.messages[i]) + "\"";
  }
  text += "]; JavaHomePath \"" + Printable(outcome.javaHomePath) + "\"; ";
  text += outcome.startedCommand ? "started \"" + Printable(*outcome.startedCommand) + "\" in \"" +
                                       Printable(outcome.startedIn) + "\""
                                 : std::string("nothing started");
  text += "; working directory at the end \"" + Printable(outcome.finalWorkingDirectory) + "\"";
  return text;
}

std::string Describe(const Fault& fault) {
  return std::string(OperationName(fault.operation)) + " call " + std::to_string(fault.callNumber) +
         " fails with " + std::to_string(fault.code) +
         (fault.description.empty() ? "" : " \"" + Printable(fault.description) + "\"");
}

}  // namespace tq::whole_run
