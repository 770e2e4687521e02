// Test helper: dialog templates (DLGTEMPLATE and its items) written in
// memory, as a resource compiler lays them out.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string_view>
#include <vector>

namespace test {

// A standard dialog template in memory, built item by item.
class DialogTemplateBytes {
public:
    DialogTemplateBytes(DWORD style, short cx, short cy, std::u16string_view title, WORD points = 0,
                        std::u16string_view className = u"") {
        if (points)
            style |= DS_SETFONT;
        Dword(style).Dword(0);
        countAt_ = bytes_.size();
        Word(0).Word(0).Word(0).Word(WORD(cx)).Word(WORD(cy)).Word(0);
        if (className.empty())
            Word(0);
        else
            Text(className);
        Text(title);
        if (points)
            Word(points).Text(u"MS Shell Dlg");
    }
    DialogTemplateBytes &Add(std::u16string_view className, WORD id, DWORD style, short x, short y,
                             short cx, short cy, std::u16string_view text = u"") {
        while (bytes_.size() % 4)
            bytes_.push_back(0);
        Dword(style).Dword(0).Word(WORD(x)).Word(WORD(y)).Word(WORD(cx)).Word(WORD(cy)).Word(id);
        Text(className).Text(text).Word(0);
        ++count_;
        return *this;
    }
    // The bytes, with the item count in place.
    const std::vector<uint8_t> &Bytes() {
        bytes_[countAt_] = uint8_t(count_);
        bytes_[countAt_ + 1] = uint8_t(count_ >> 8);
        return bytes_;
    }
    LPCDLGTEMPLATEW Get() {
        Bytes();
        return reinterpret_cast<LPCDLGTEMPLATEW>(bytes_.data());
    }

private:
    DialogTemplateBytes &Word(WORD w) {
        bytes_.push_back(uint8_t(w));
        bytes_.push_back(uint8_t(w >> 8));
        return *this;
    }
    DialogTemplateBytes &Dword(DWORD d) { return Word(LOWORD(d)).Word(HIWORD(d)); }
    DialogTemplateBytes &Text(std::u16string_view s) {
        for (char16_t c : s)
            Word(c);
        return Word(0);
    }
    std::vector<uint8_t> bytes_;
    size_t countAt_ = 0;
    WORD count_ = 0;
};

} // namespace test
