#pragma once

#include <string>

namespace tq {

// Conversions between the program's text and the system's ANSI code page
// (CP_ACP). Embedded NULs are converted too; a character may take more than
// one byte.
std::string WideToAnsi(const std::wstring& text);
std::wstring AnsiToWide(const std::string& bytes);

}  // namespace tq
