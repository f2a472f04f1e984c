// The one place where the Windows program's text changes form: UTF-8 inside the program, UTF-16
// in every call to Windows, so that any user, folder or file name comes through whole.
#pragma once

#include <string>
#include <string_view>

namespace host::win32 {

// Bytes that are not UTF-8 become U+FFFD, as Windows converts them.
std::wstring Wide(std::string_view text);
std::string Utf8(std::wstring_view text);

}  // namespace host::win32
