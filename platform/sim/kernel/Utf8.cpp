#include "kernel/Utf8.h"

namespace sim {

void AppendUtf8(std::string *out, char32_t cp) {
    if (cp < 0x80) {
        *out += char(cp);
    } else if (cp < 0x800) {
        *out += char(0xC0 | (cp >> 6));
        *out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out += char(0xE0 | (cp >> 12));
        *out += char(0x80 | ((cp >> 6) & 0x3F));
        *out += char(0x80 | (cp & 0x3F));
    } else {
        *out += char(0xF0 | (cp >> 18));
        *out += char(0x80 | ((cp >> 12) & 0x3F));
        *out += char(0x80 | ((cp >> 6) & 0x3F));
        *out += char(0x80 | (cp & 0x3F));
    }
}

std::string ToUtf8(std::u16string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        char32_t cp = s[i];
        bool high = cp >= 0xD800 && cp <= 0xDBFF;
        bool low = cp >= 0xDC00 && cp <= 0xDFFF;
        if (high && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10 | char32_t(s[i + 1] - 0xDC00));
            ++i;
        } else if (high || low) {
            cp = 0xFFFD; // an unpaired surrogate has no UTF-8 form
        }
        AppendUtf8(&out, cp);
    }
    return out;
}

bool FromUtf8(std::string_view in, std::u16string *out) {
    out->clear();
    for (size_t i = 0; i < in.size();) {
        unsigned char b = static_cast<unsigned char>(in[i]);
        char32_t cp;
        size_t len;
        char32_t min;
        if (b < 0x80) {
            cp = b;
            len = 1;
            min = 0;
        } else if ((b & 0xE0) == 0xC0) {
            cp = b & 0x1F;
            len = 2;
            min = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            cp = b & 0x0F;
            len = 3;
            min = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            cp = b & 0x07;
            len = 4;
            min = 0x10000;
        } else {
            return false;
        }
        if (in.size() - i < len)
            return false;
        for (size_t k = 1; k < len; ++k) {
            unsigned char c = static_cast<unsigned char>(in[i + k]);
            if ((c & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            *out += char16_t(0xD800 + (cp >> 10));
            *out += char16_t(0xDC00 + (cp & 0x3FF));
        } else {
            *out += char16_t(cp);
        }
        i += len;
    }
    return true;
}

} // namespace sim
