// The bounded string functions of <strsafe.h> and the string helpers of
// <windows.h>. The formatter follows the platform's wide printf: %s and %c
// take wide text, %S and %C (or %hs, %hc) narrow text, %ls/%ws wide; "l" is
// 32 bits as on the device, "ll" and "I64" 64 bits.
#include <strsafe.h>

#include "kernel/Context.h"
#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace {

// Output bounded by the caller's buffer; anything past it is dropped and
// remembered, never written.
class Sink {
public:
    Sink(WCHAR *buffer, size_t capacity) : buffer_(buffer), capacity_(capacity) {}
    void Put(WCHAR c) {
        if (length_ < capacity_)
            buffer_[length_++] = c;
        else
            truncated_ = true;
    }
    void Repeat(WCHAR c, size_t n) {
        for (size_t i = 0; i < n && !truncated_; ++i)
            Put(c);
    }
    void Terminate() { buffer_[length_] = 0; }
    size_t Length() const { return length_; }
    bool Truncated() const { return truncated_; }

private:
    WCHAR *buffer_;
    size_t capacity_;
    size_t length_ = 0;
    bool truncated_ = false;
};

enum class Size { Default, Short, Long, LongLong, Pointer };

struct Field {
    bool left = false;
    bool plus = false;
    bool space = false;
    bool alternate = false;
    bool zero = false;
    size_t width = 0;
    bool hasPrecision = false;
    size_t precision = 0;
    Size size = Size::Default;
    bool narrow = false; // h: narrow text for s and c
    bool wide = false;   // l or w: wide text for S and C
};

// Widths and precisions are capped so their arithmetic cannot overflow; the
// padding loops stop at the end of the buffer whatever the width.
constexpr size_t kMaxField = STRSAFE_MAX_CCH;

size_t ParseNumber(const WCHAR *&p) {
    size_t n = 0;
    while (*p >= u'0' && *p <= u'9') {
        n = std::min<size_t>(n * 10 + size_t(*p - u'0'), kMaxField);
        ++p;
    }
    return n;
}

void PutField(Sink &out, const Field &field, const WCHAR *prefix, size_t prefixLength,
              const WCHAR *body, size_t bodyLength, size_t leadingZeros) {
    size_t total = prefixLength + leadingZeros + bodyLength;
    size_t pad = field.width > total ? field.width - total : 0;
    if (!field.left && !field.zero)
        out.Repeat(u' ', pad);
    for (size_t i = 0; i < prefixLength; ++i)
        out.Put(prefix[i]);
    if (!field.left && field.zero)
        out.Repeat(u'0', pad);
    out.Repeat(u'0', leadingZeros);
    for (size_t i = 0; i < bodyLength && !out.Truncated(); ++i)
        out.Put(body[i]);
    if (field.left)
        out.Repeat(u' ', pad);
}

void PutInteger(Sink &out, Field field, WCHAR conversion, bool negative, uint64_t magnitude) {
    unsigned base = 10;
    const char *digitChars = "0123456789abcdef";
    if (conversion == u'x' || conversion == u'p') {
        base = 16;
    } else if (conversion == u'X') {
        base = 16;
        digitChars = "0123456789ABCDEF";
    } else if (conversion == u'o') {
        base = 8;
    }
    if (conversion == u'p')
        digitChars = "0123456789ABCDEF";

    WCHAR digits[24];
    size_t count = 0;
    for (uint64_t v = magnitude; v != 0; v /= base)
        digits[count++] = WCHAR(digitChars[v % base]);
    std::reverse(digits, digits + count);
    if (count == 0 && !(field.hasPrecision && field.precision == 0))
        digits[count++] = u'0';

    WCHAR prefix[2];
    size_t prefixLength = 0;
    if (negative)
        prefix[prefixLength++] = u'-';
    else if (field.plus && (conversion == u'd' || conversion == u'i'))
        prefix[prefixLength++] = u'+';
    else if (field.space && (conversion == u'd' || conversion == u'i'))
        prefix[prefixLength++] = u' ';
    if (field.alternate && magnitude != 0 && base == 16 && conversion != u'p') {
        prefix[prefixLength++] = u'0';
        prefix[prefixLength++] = conversion;
    }
    size_t leadingZeros = 0;
    if (field.hasPrecision && field.precision > count)
        leadingZeros = field.precision - count;
    if (field.alternate && base == 8 && leadingZeros == 0 && (count == 0 || digits[0] != u'0'))
        leadingZeros = 1;
    // With a precision the field is padded with spaces, never zeros.
    if (field.hasPrecision)
        field.zero = false;
    PutField(out, field, prefix, prefixLength, digits, count, leadingZeros);
}

void PutWideText(Sink &out, const Field &field, const WCHAR *text) {
    if (!text)
        text = u"(null)";
    size_t length = 0;
    size_t limit = field.hasPrecision ? field.precision : SIZE_MAX;
    while (length < limit && text[length])
        ++length;
    PutField(out, field, nullptr, 0, text, length, 0);
}

void PutNarrowText(Sink &out, const Field &field, const char *text) {
    if (!text)
        text = "(null)";
    size_t length = 0;
    size_t limit = field.hasPrecision ? field.precision : SIZE_MAX;
    while (length < limit && text[length])
        ++length;
    // Narrow text is taken as Latin-1, one byte to one character.
    size_t pad = field.width > length ? field.width - length : 0;
    if (!field.left)
        out.Repeat(field.zero ? u'0' : u' ', pad);
    for (size_t i = 0; i < length && !out.Truncated(); ++i)
        out.Put(WCHAR(static_cast<unsigned char>(text[i])));
    if (field.left)
        out.Repeat(u' ', pad);
}

// Floating point is rare on the device; the host's formatter does the digits.
void PutFloat(Sink &out, const Field &field, WCHAR conversion, double value) {
    char format[16];
    size_t n = 0;
    format[n++] = '%';
    if (field.left)
        format[n++] = '-';
    if (field.plus)
        format[n++] = '+';
    if (field.space)
        format[n++] = ' ';
    if (field.alternate)
        format[n++] = '#';
    if (field.zero)
        format[n++] = '0';
    std::snprintf(format + n, sizeof format - n, "*.*%c", char(conversion));
    int width = int(std::min<size_t>(field.width, 400));
    int precision = field.hasPrecision ? int(std::min<size_t>(field.precision, 300)) : 6;
    char text[1024];
    int length = std::snprintf(text, sizeof text, format, width, precision, value);
    for (int i = 0; i < length && i < int(sizeof text) - 1; ++i)
        out.Put(WCHAR(text[i]));
}

void Format(Sink &out, const WCHAR *format, va_list args) {
    const WCHAR *p = format;
    while (*p && !out.Truncated()) {
        if (*p != u'%') {
            out.Put(*p++);
            continue;
        }
        const WCHAR *start = p++;
        Field field;
        for (;; ++p) {
            if (*p == u'-')
                field.left = true;
            else if (*p == u'+')
                field.plus = true;
            else if (*p == u' ')
                field.space = true;
            else if (*p == u'#')
                field.alternate = true;
            else if (*p == u'0')
                field.zero = true;
            else
                break;
        }
        if (*p == u'*') {
            int width = va_arg(args, int);
            if (width < 0) {
                field.left = true;
                field.width = std::min<size_t>(size_t(-(int64_t)width), kMaxField);
            } else {
                field.width = std::min<size_t>(size_t(width), kMaxField);
            }
            ++p;
        } else {
            field.width = ParseNumber(p);
        }
        if (*p == u'.') {
            ++p;
            field.hasPrecision = true;
            if (*p == u'*') {
                int precision = va_arg(args, int);
                field.hasPrecision = precision >= 0;
                field.precision =
                    precision >= 0 ? std::min<size_t>(size_t(precision), kMaxField) : 0;
                ++p;
            } else {
                field.precision = ParseNumber(p);
            }
        }
        if (field.left)
            field.zero = false;
        if (*p == u'h') {
            field.size = Size::Short;
            field.narrow = true;
            ++p;
        } else if (*p == u'l') {
            field.wide = true;
            ++p;
            field.size = Size::Long;
            if (*p == u'l') {
                field.size = Size::LongLong;
                ++p;
            }
        } else if (*p == u'w') {
            field.wide = true;
            ++p;
        } else if (p[0] == u'I' && p[1] == u'6' && p[2] == u'4') {
            field.size = Size::LongLong;
            p += 3;
        } else if (p[0] == u'I' && p[1] == u'3' && p[2] == u'2') {
            field.size = Size::Long;
            p += 3;
        } else if (*p == u'I' || *p == u'z') {
            field.size = Size::Pointer;
            ++p;
        }

        WCHAR conversion = *p;
        if (conversion == 0) {
            // A format cut short mid-conversion is shown as written.
            for (const WCHAR *q = start; q < p; ++q)
                out.Put(*q);
            break;
        }
        ++p;
        switch (conversion) {
        case u'%': out.Put(u'%'); break;
        case u'd':
        case u'i': {
            int64_t v;
            if (field.size == Size::LongLong)
                v = va_arg(args, long long);
            else if (field.size == Size::Pointer)
                v = va_arg(args, intptr_t);
            else if (field.size == Size::Short)
                v = short(va_arg(args, int));
            else
                v = va_arg(args, int);
            uint64_t magnitude = v < 0 ? uint64_t(0) - uint64_t(v) : uint64_t(v);
            PutInteger(out, field, conversion, v < 0, magnitude);
            break;
        }
        case u'u':
        case u'x':
        case u'X':
        case u'o': {
            uint64_t v;
            if (field.size == Size::LongLong)
                v = va_arg(args, unsigned long long);
            else if (field.size == Size::Pointer)
                v = va_arg(args, uintptr_t);
            else if (field.size == Size::Short)
                v = static_cast<unsigned short>(va_arg(args, unsigned int));
            else
                v = va_arg(args, unsigned int);
            PutInteger(out, field, conversion, false, v);
            break;
        }
        case u'p': {
            Field pointer = field;
            pointer.hasPrecision = true;
            pointer.precision = 2 * sizeof(void *);
            PutInteger(out, pointer, u'p', false, uintptr_t(va_arg(args, void *)));
            break;
        }
        case u'c':
        case u'C': {
            bool narrow = conversion == u'c' ? field.narrow : !field.wide;
            int v = va_arg(args, int);
            WCHAR c = narrow ? WCHAR(static_cast<unsigned char>(v)) : WCHAR(v);
            PutField(out, field, nullptr, 0, &c, 1, 0);
            break;
        }
        case u's':
        case u'S': {
            bool narrow = conversion == u's' ? field.narrow : !field.wide;
            if (narrow)
                PutNarrowText(out, field, va_arg(args, const char *));
            else
                PutWideText(out, field, va_arg(args, const WCHAR *));
            break;
        }
        case u'e':
        case u'E':
        case u'f':
        case u'g':
        case u'G': PutFloat(out, field, conversion, va_arg(args, double)); break;
        default:
            // Unknown conversions (and %n, which writes memory) print as
            // written and take no argument.
            for (const WCHAR *q = start; q < p; ++q)
                out.Put(*q);
            break;
        }
    }
}

bool ValidDestination(LPWSTR dest, size_t cchDest) {
    if (dest && cchDest != 0)
        dest[0] = 0;
    return dest && cchDest != 0 && cchDest <= STRSAFE_MAX_CCH;
}

WCHAR FoldLower(WCHAR c) {
    if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return WCHAR(c + 0x20);
    return c;
}

int Sign(int v) {
    return v < 0 ? -1 : v > 0 ? 1 : 0;
}

} // namespace

HRESULT StringCchCopyW(LPWSTR pszDest, size_t cchDest, LPCWSTR pszSrc) {
    sim::CountCall("StringCchCopyW");
    return StringCchCopyNW(pszDest, cchDest, pszSrc, STRSAFE_MAX_CCH);
}

HRESULT StringCchCopyNW(LPWSTR pszDest, size_t cchDest, LPCWSTR pszSrc, size_t cchToCopy) {
    sim::CountCall("StringCchCopyNW");
    if (!ValidDestination(pszDest, cchDest) || !pszSrc || cchToCopy > STRSAFE_MAX_CCH)
        return STRSAFE_E_INVALID_PARAMETER;
    size_t i = 0;
    while (i + 1 < cchDest && i < cchToCopy && pszSrc[i]) {
        pszDest[i] = pszSrc[i];
        ++i;
    }
    pszDest[i] = 0;
    bool more = i < cchToCopy && pszSrc[i] != 0;
    return more ? STRSAFE_E_INSUFFICIENT_BUFFER : S_OK;
}

HRESULT StringCchCatW(LPWSTR pszDest, size_t cchDest, LPCWSTR pszSrc) {
    sim::CountCall("StringCchCatW");
    if (!pszDest || cchDest == 0 || cchDest > STRSAFE_MAX_CCH || !pszSrc)
        return STRSAFE_E_INVALID_PARAMETER;
    size_t length = 0;
    while (length < cchDest && pszDest[length])
        ++length;
    // A destination that is not terminated within its size is left alone.
    if (length == cchDest)
        return STRSAFE_E_INVALID_PARAMETER;
    return StringCchCopyW(pszDest + length, cchDest - length, pszSrc);
}

HRESULT StringCchLengthW(LPCWSTR psz, size_t cchMax, size_t *pcchLength) {
    sim::CountCall("StringCchLengthW");
    if (pcchLength)
        *pcchLength = 0;
    if (!psz || cchMax > STRSAFE_MAX_CCH)
        return STRSAFE_E_INVALID_PARAMETER;
    size_t length = 0;
    while (length < cchMax && psz[length])
        ++length;
    if (length == cchMax)
        return STRSAFE_E_INVALID_PARAMETER;
    if (pcchLength)
        *pcchLength = length;
    return S_OK;
}

HRESULT StringCchPrintfW(LPWSTR pszDest, size_t cchDest, LPCWSTR pszFormat, ...) {
    sim::CountCall("StringCchPrintfW");
    if (!ValidDestination(pszDest, cchDest) || !pszFormat)
        return STRSAFE_E_INVALID_PARAMETER;
    Sink out(pszDest, cchDest - 1);
    va_list args;
    va_start(args, pszFormat);
    Format(out, pszFormat, args);
    va_end(args);
    out.Terminate();
    return out.Truncated() ? STRSAFE_E_INSUFFICIENT_BUFFER : S_OK;
}

int WINAPI lstrlenW(LPCWSTR lpString) {
    sim::CountCall("lstrlenW");
    if (!lpString)
        return 0;
    int length = 0;
    while (lpString[length])
        ++length;
    return length;
}

// Ordered as the platform's word sort orders plain text: letters without
// regard to case first, then lower case before upper case.
int WINAPI lstrcmpW(LPCWSTR lpString1, LPCWSTR lpString2) {
    sim::CountCall("lstrcmpW");
    int folded = lstrcmpiW(lpString1, lpString2);
    if (folded != 0 || !lpString1 || !lpString2)
        return folded;
    for (size_t i = 0; lpString1[i]; ++i) {
        if (lpString1[i] != lpString2[i])
            return FoldLower(lpString1[i]) == lpString1[i] ? -1 : 1;
    }
    return 0;
}

int WINAPI lstrcmpiW(LPCWSTR lpString1, LPCWSTR lpString2) {
    sim::CountCall("lstrcmpiW");
    if (!lpString1 || !lpString2)
        return lpString1 == lpString2 ? 0 : (lpString1 ? 1 : -1);
    for (size_t i = 0;; ++i) {
        WCHAR a = FoldLower(lpString1[i]);
        WCHAR b = FoldLower(lpString2[i]);
        if (a != b)
            return Sign(int(a) - int(b));
        if (a == 0)
            return 0;
    }
}

int wsprintfW(LPWSTR buffer, LPCWSTR format, ...) {
    sim::CountCall("wsprintfW");
    // The platform writes at most 1024 characters, terminator included.
    constexpr size_t kLimit = 1024;
    if (!buffer || !format)
        return 0;
    Sink out(buffer, kLimit - 1);
    va_list args;
    va_start(args, format);
    Format(out, format, args);
    va_end(args);
    out.Terminate();
    return int(out.Length());
}
