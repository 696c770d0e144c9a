// Text conversions of the double: UTF-16 (Java strings) to and from UTF-8
// and the JNI's modified UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace jvmdouble {

// UTF-8; an unpaired surrogate becomes its own 3-byte form (exact, for the record).
std::string Wtf8(std::u16string_view text);
// UTF-8 as a Java encoder writes it: an unpaired surrogate becomes "?".
std::string JavaUtf8(std::u16string_view text);
// UTF-8 as a Java decoder reads it: every malformed sequence becomes U+FFFD.
std::u16string DecodeUtf8(std::string_view bytes);
// The JNI's modified UTF-8: U+0000 as C0 80, every UTF-16 unit on its own
// (a surrogate pair is two 3-byte sequences).
std::string ModifiedUtf8(std::u16string_view text);
std::u16string DecodeModifiedUtf8(std::string_view bytes);

inline std::u16string U16(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }
inline std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }
inline std::u16string U16FromAscii(std::string_view text) { return std::u16string(text.begin(), text.end()); }

}  // namespace jvmdouble
