#pragma once
#include <string>
#include <string_view>

namespace Host {

// UTF-8 (what the widgets edit) to UTF-16 (the units the status line keeps)
// and back. Malformed input becomes U+FFFD rather than being dropped.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

}
