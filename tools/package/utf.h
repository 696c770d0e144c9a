// UTF-8 to UTF-16, strictly: overlong forms, surrogates and values beyond
// U+10FFFF are refused.
#pragma once

#include <string>
#include <string_view>

namespace package {

bool Utf8ToUtf16(std::string_view in, std::u16string& out);

}  // namespace package
