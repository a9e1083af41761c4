#pragma once

#include <string>
#include <string_view>

namespace corvane::platform::win32 {

// UTF-8, as the program keeps its texts, to the UTF-16 of the Windows calls, and back. Bytes that
// are no UTF-8 are taken as Latin-1, so that no text is lost on the way.
std::wstring Widen(std::string_view text);
std::string Narrow(std::wstring_view text);

}  // namespace corvane::platform::win32
