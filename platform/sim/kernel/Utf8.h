// DeviceSim: UTF-8, the encoding of device scripts, of what they print and
// of registry export text, to and from the platform's UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace sim {

void AppendUtf8(std::string *out, char32_t codePoint);
// An unpaired surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);
// False on a malformed or overlong sequence or an encoded surrogate.
bool FromUtf8(std::string_view in, std::u16string *out);

} // namespace sim
