// DeviceSim: names of files, keys, classes and kernel objects compare
// without regard to ASCII case.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace sim {

// Upper case, so that sorted lists match the desktop's order ("_" after the
// letters).
inline char16_t FoldCase(char16_t c) {
    return c >= u'a' && c <= u'z' ? char16_t(c - u'a' + u'A') : c;
}

// A name folded so that equal names give equal keys (for maps of names).
inline std::u16string NameKey(std::u16string_view name) {
    std::u16string key(name);
    for (char16_t &c : key)
        c = FoldCase(c);
    return key;
}

inline int CompareNames(std::u16string_view a, std::u16string_view b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        char16_t x = FoldCase(a[i]), y = FoldCase(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

} // namespace sim
