#include <strsafe.h>
#include <windows.h>

#include <functional>
#include <string>

#include <gtest/gtest.h>

namespace {

// A buffer with guard characters after the part the function may use, so a
// write past cch shows up.
struct Guarded {
    static constexpr WCHAR kGuard = u'#';
    explicit Guarded(size_t cch) : cch(cch), storage(cch + 8, kGuard) {}
    WCHAR *data() { return storage.data(); }
    std::u16string Text() const { return std::u16string(storage.c_str()); }
    bool GuardIntact() const {
        return storage.find_first_not_of(kGuard, cch) == std::u16string::npos;
    }
    size_t cch;
    std::u16string storage;
};

std::string Narrow(const std::u16string &s) {
    return std::string(s.begin(), s.end());
}

TEST(Strings, CopyAndCopyN) {
    const WCHAR unterminated[4] = {u'a', u'b', u'c', u'd'};
    struct Case {
        size_t cch;
        const WCHAR *src;
        size_t toCopy; // 0 means StringCchCopyW
        HRESULT hr;
        std::u16string result;
    } cases[] = {
        {8, u"abc", 0, S_OK, u"abc"},
        {4, u"abc", 0, S_OK, u"abc"},
        {3, u"abc", 0, STRSAFE_E_INSUFFICIENT_BUFFER, u"ab"},
        {1, u"abc", 0, STRSAFE_E_INSUFFICIENT_BUFFER, u""},
        {1, u"", 0, S_OK, u""},
        {4, nullptr, 0, STRSAFE_E_INVALID_PARAMETER, u""},
        {8, u"abcdef", 3, S_OK, u"abc"},
        {8, u"ab", 5, S_OK, u"ab"},
        {8, unterminated, 4, S_OK, u"abcd"},
        {3, unterminated, 4, STRSAFE_E_INSUFFICIENT_BUFFER, u"ab"},
        {4, unterminated, 3, S_OK, u"abc"},
        {8, u"abc", size_t(STRSAFE_MAX_CCH) + 1, STRSAFE_E_INVALID_PARAMETER, u""},
    };
    for (const auto &c : cases) {
        Guarded dest(c.cch);
        HRESULT hr = c.toCopy == 0 ? StringCchCopyW(dest.data(), c.cch, c.src)
                                   : StringCchCopyNW(dest.data(), c.cch, c.src, c.toCopy);
        SCOPED_TRACE(&c - cases);
        EXPECT_EQ(hr, c.hr);
        EXPECT_EQ(dest.Text(), c.result);
        EXPECT_TRUE(dest.GuardIntact());
    }

    Guarded untouched(4);
    EXPECT_EQ(StringCchCopyW(untouched.data(), 0, u"abc"), STRSAFE_E_INVALID_PARAMETER);
    EXPECT_EQ(untouched.storage[0], Guarded::kGuard);
    EXPECT_EQ(StringCchCopyW(nullptr, 4, u"abc"), STRSAFE_E_INVALID_PARAMETER);
    EXPECT_EQ(StringCchCopyW(untouched.data(), size_t(STRSAFE_MAX_CCH) + 1, u"abc"),
              STRSAFE_E_INVALID_PARAMETER);
}

TEST(Strings, Cat) {
    struct Case {
        size_t cch;
        std::u16string start;
        const WCHAR *src;
        HRESULT hr;
        std::u16string result;
    } cases[] = {
        {8, u"ab", u"cd", S_OK, u"abcd"},
        {5, u"ab", u"cd", S_OK, u"abcd"},
        {4, u"ab", u"cd", STRSAFE_E_INSUFFICIENT_BUFFER, u"abc"},
        {3, u"ab", u"cd", STRSAFE_E_INSUFFICIENT_BUFFER, u"ab"},
        {8, u"ab", nullptr, STRSAFE_E_INVALID_PARAMETER, u"ab"},
        {0, u"ab", u"cd", STRSAFE_E_INVALID_PARAMETER, u"ab"},
    };
    for (const auto &c : cases) {
        Guarded dest(c.cch);
        std::copy(c.start.begin(), c.start.end(), dest.data());
        dest.storage[c.start.size()] = 0;
        SCOPED_TRACE(&c - cases);
        EXPECT_EQ(StringCchCatW(dest.data(), c.cch, c.src), c.hr);
        EXPECT_EQ(dest.Text(), c.result);
    }

    // Not terminated within its size: left exactly as it was.
    Guarded full(3);
    full.storage.replace(0, 4, u"abc\0", 4);
    EXPECT_EQ(StringCchCatW(full.data(), 3, u"d"), STRSAFE_E_INVALID_PARAMETER);
    EXPECT_EQ(full.Text(), u"abc");
}

TEST(Strings, Length) {
    struct Case {
        const WCHAR *s;
        size_t cchMax;
        HRESULT hr;
        size_t length;
    } cases[] = {
        {u"abc", 4, S_OK, 3},
        {u"abc", 3, STRSAFE_E_INVALID_PARAMETER, 0},
        {u"", 1, S_OK, 0},
        {u"", 0, STRSAFE_E_INVALID_PARAMETER, 0},
        {nullptr, 4, STRSAFE_E_INVALID_PARAMETER, 0},
        {u"abc", size_t(STRSAFE_MAX_CCH) + 1, STRSAFE_E_INVALID_PARAMETER, 0},
    };
    for (const auto &c : cases) {
        size_t length = 99;
        EXPECT_EQ(StringCchLengthW(c.s, c.cchMax, &length), c.hr) << &c - cases;
        EXPECT_EQ(length, c.length) << &c - cases;
    }
    EXPECT_EQ(StringCchLengthW(u"ab", 3, nullptr), S_OK);
}

TEST(Strings, PrintfConversions) {
    using Call = std::function<HRESULT(WCHAR *, size_t)>;
    struct Case {
        std::u16string expected;
        Call call;
    } cases[] = {
        {u"-5", [](WCHAR *d, size_t n) { return StringCchPrintfW(d, n, u"%d", -5); }},
        {u"   42|42   |",
         [](WCHAR *d, size_t n) { return StringCchPrintfW(d, n, u"%5d|%-5d|", 42, 42); }},
        {u"-0042", [](WCHAR *d, size_t n) { return StringCchPrintfW(d, n, u"%05d", -42); }},
        {u"+5 5", [](WCHAR *d, size_t n) { return StringCchPrintfW(d, n, u"%+d% d", 5, 5); }},
        {u"007|  007",
         [](WCHAR *d, size_t n) { return StringCchPrintfW(d, n, u"%.3d|%05.3d", 7, 7); }},
        {u"   7", [](WCHAR *d, size_t n) { return StringCchPrintfW(d, n, u"%*d", 4, 7); }},
        {u"7   |", [](WCHAR *d, size_t n) { return StringCchPrintfW(d, n, u"%*d|", -4, 7); }},
        {u"4294967295", [](WCHAR *d, size_t n) { return StringCchPrintfW(d, n, u"%u", -1); }},
        {u"ff FF 0xff 0000BEEF",
         [](WCHAR *d, size_t n) {
             return StringCchPrintfW(d, n, u"%x %X %#x %08X", 255, 255, 255, 0xBEEF);
         }},
        {u"-7 4294967295",
         [](WCHAR *d, size_t n) {
             return StringCchPrintfW(d, n, u"%ld %lu", LONG(-7), DWORD(0xFFFFFFFF));
         }},
        {u"-9000000000 18446744073709551615",
         [](WCHAR *d, size_t n) {
             return StringCchPrintfW(d, n, u"%I64d %llu", -9000000000LL, ~0ULL);
         }},
        {u"1", [](WCHAR *d, size_t n) { return StringCchPrintfW(d, n, u"%hd", 65537); }},
        {u"Z%\u00e9",
         [](WCHAR *d, size_t n) { return StringCchPrintfW(d, n, u"%c%%%c", u'Z', 0xe9); }},
        {u"wide|  pad|left  |wi",
         [](WCHAR *d, size_t n) {
             return StringCchPrintfW(d, n, u"%s|%5s|%-6s|%.2s", u"wide", u"pad", u"left", u"wide");
         }},
        {u"narrow narrow w",
         [](WCHAR *d, size_t n) {
             return StringCchPrintfW(d, n, u"%S %hs %ls", "narrow", "narrow", u"w");
         }},
        {u"(null)",
         [](WCHAR *d, size_t n) {
             return StringCchPrintfW(d, n, u"%s", static_cast<const WCHAR *>(nullptr));
         }},
        {u"1.50", [](WCHAR *d, size_t n) { return StringCchPrintfW(d, n, u"%.2f", 1.5); }},
        {u"%q %n", [](WCHAR *d, size_t n) { return StringCchPrintfW(d, n, u"%q %n"); }},
        {u"50%", [](WCHAR *d, size_t n) { return StringCchPrintfW(d, n, u"50%"); }},
    };
    for (const auto &c : cases) {
        Guarded dest(64);
        EXPECT_EQ(c.call(dest.data(), 64), S_OK) << Narrow(c.expected);
        EXPECT_EQ(dest.Text(), c.expected);
    }
}

TEST(Strings, PrintfTruncatesWithinTheBuffer) {
    Guarded small(6);
    EXPECT_EQ(StringCchPrintfW(small.data(), 6, u"%s-%d", u"abcd", 12345),
              STRSAFE_E_INSUFFICIENT_BUFFER);
    EXPECT_EQ(small.Text(), u"abcd-");
    EXPECT_TRUE(small.GuardIntact());

    Guarded exact(6);
    EXPECT_EQ(StringCchPrintfW(exact.data(), 6, u"%05d", 7), S_OK);
    EXPECT_EQ(exact.Text(), u"00007");

    // An absurd width ends at the buffer, not billions of characters later.
    Guarded wide(8);
    EXPECT_EQ(StringCchPrintfW(wide.data(), 8, u"%2000000000d", 1), STRSAFE_E_INSUFFICIENT_BUFFER);
    EXPECT_EQ(wide.Text(), u"       ");
    EXPECT_TRUE(wide.GuardIntact());

    Guarded none(4);
    EXPECT_EQ(StringCchPrintfW(none.data(), 0, u"x"), STRSAFE_E_INVALID_PARAMETER);
    EXPECT_EQ(none.storage[0], Guarded::kGuard);
    EXPECT_EQ(StringCchPrintfW(none.data(), 4, nullptr), STRSAFE_E_INVALID_PARAMETER);
    EXPECT_EQ(none.Text(), u"");
}

TEST(Strings, WsprintfStopsAtItsLimit) {
    Guarded buffer(1100);
    EXPECT_EQ(wsprintfW(buffer.data(), u"%s=%d", u"Speed", 12), 8);
    EXPECT_EQ(buffer.Text(), u"Speed=12");
    EXPECT_EQ(wsprintfW(buffer.data(), u"%2000d", 1), 1023);
    EXPECT_EQ(buffer.storage[1023], 0);
    EXPECT_EQ(buffer.storage[1024], Guarded::kGuard);
}

TEST(Strings, LengthAndComparison) {
    EXPECT_EQ(lstrlenW(u"four"), 4);
    EXPECT_EQ(lstrlenW(nullptr), 0);
    struct Case {
        const WCHAR *a;
        const WCHAR *b;
        int cmp;
        int cmpi;
    } cases[] = {
        {u"abc", u"abc", 0, 0},
        {u"a", u"B", -1, -1},
        {u"B", u"a", 1, 1},
        {u"a", u"A", -1, 0},
        {u"Pointrel", u"POINTREL", -1, 0},
        {u"abc", u"ab", 1, 1},
        {u"", u"a", -1, -1},
        {u"\u00c4", u"\u00e4", 1, 0},
        {nullptr, nullptr, 0, 0},
        {nullptr, u"", -1, -1},
        {u"", nullptr, 1, 1},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(lstrcmpW(c.a, c.b), c.cmp) << &c - cases;
        EXPECT_EQ(lstrcmpiW(c.a, c.b), c.cmpi) << &c - cases;
    }
}

} // namespace
