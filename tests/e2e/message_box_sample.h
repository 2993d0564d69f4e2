#pragma once

// The kinds, title and text of message_box_sample.exe's box.

namespace tq::e2e {

inline constexpr wchar_t kSamplePlain[] = L"plain";
inline constexpr wchar_t kSampleError[] = L"error";
inline constexpr wchar_t kSampleYesNo[] = L"yesno";

inline constexpr wchar_t kSampleTitle[] = L"Sample box";
inline constexpr wchar_t kSampleText[] = L"First line\r\n\r\nThird line";

}  // namespace tq::e2e
