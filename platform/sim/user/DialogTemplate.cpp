// DeviceSim: dialog templates read into plain values, with every read
// checked against the template's end.
//
// Layout (little-endian, the template itself on a 32-bit boundary):
//   standard: style, exStyle (DWORDs), item count (WORD), x, y, cx, cy;
//   extended: version 1 and signature 0xFFFF (WORDs), helpId, exStyle, style
//             (DWORDs), item count, x, y, cx, cy;
//   then the menu and class (each 0x0000, 0xFFFF and an ordinal, or a
//   string), the title (a string) and, with DS_SETFONT, the font: the point
//   size and (extended only) weight, italic and character set, then the
//   face name. Each item starts on the next 32-bit boundary:
//   standard: style, exStyle, x, y, cx, cy, id (WORD);
//   extended: helpId, exStyle, style, x, y, cx, cy, id (DWORD);
//   then its class and title (0xFFFF and an ordinal, or a string) and a
//   WORD counting the bytes of creation data that follow it. (DLGITEMTEMPLATE's
//   page says the count includes the word itself; resource compilers write
//   and the platform reads it without, as CREATESTRUCT's page describes the
//   data a control receives: the count, then that many bytes.)
#include "user/DialogTemplate.h"

#include <algorithm>

namespace sim {

namespace {

// Offsets are counted from the template's start, which the platform
// requires to lie on a 32-bit boundary; aligning the offset then aligns
// the address.
class Reader {
public:
    Reader(const uint8_t *data, size_t size) : data_(data), size_(size) {}

    size_t Offset() const { return at_; }
    const uint8_t *Here() const { return data_ + at_; }
    bool Has(size_t n) const { return n <= size_ - at_; }

    bool Word(uint16_t *v) {
        if (!Has(2))
            return false;
        *v = uint16_t(data_[at_] | data_[at_ + 1] << 8);
        at_ += 2;
        return true;
    }
    bool Dword(uint32_t *v) {
        uint16_t lo, hi;
        if (!Has(4) || !Word(&lo) || !Word(&hi))
            return false;
        *v = uint32_t(lo) | uint32_t(hi) << 16;
        return true;
    }
    bool Short(short *v) {
        uint16_t w;
        if (!Word(&w))
            return false;
        *v = static_cast<short>(w);
        return true;
    }
    bool Byte(uint8_t *v) {
        if (!Has(1))
            return false;
        *v = data_[at_++];
        return true;
    }
    bool Skip(size_t n) {
        if (!Has(n))
            return false;
        at_ += n;
        return true;
    }
    // A NUL-terminated UTF-16 string.
    bool String(std::u16string *text) {
        text->clear();
        for (;;) {
            uint16_t c;
            if (!Word(&c))
                return false;
            if (c == 0)
                return true;
            text->push_back(static_cast<char16_t>(c));
        }
    }
    // 0xFFFF and an ordinal, or a string (which may be empty).
    bool Name(TemplateName *name) {
        uint16_t first;
        if (!Has(2))
            return false;
        first = uint16_t(data_[at_] | data_[at_ + 1] << 8);
        if (first == 0xFFFF) {
            at_ += 2;
            name->isOrdinal = true;
            return Word(&name->ordinal);
        }
        name->isOrdinal = false;
        return String(&name->text);
    }
    // The next 32-bit boundary; padding past the end is allowed only where
    // nothing follows, so it is checked by the read that comes after.
    void AlignDword() { at_ = std::min(size_, (at_ + 3) & ~size_t(3)); }
    bool AlignedDwordFits() const { return ((at_ + 3) & ~size_t(3)) <= size_; }

private:
    const uint8_t *data_;
    size_t size_;
    size_t at_ = 0;
};

bool Fail(std::string *why, const std::string &what) {
    if (why)
        *why = what;
    return false;
}

bool ParseItem(Reader &r, bool extended, TemplateItem *item, std::string *why) {
    bool ok;
    if (extended) {
        uint32_t id = 0;
        ok = r.Dword(&item->helpId) && r.Dword(&item->exStyle) && r.Dword(&item->style) &&
             r.Short(&item->x) && r.Short(&item->y) && r.Short(&item->cx) && r.Short(&item->cy) &&
             r.Dword(&id);
        item->id = static_cast<LONG>(id);
    } else {
        uint16_t id = 0;
        ok = r.Dword(&item->style) && r.Dword(&item->exStyle) && r.Short(&item->x) &&
             r.Short(&item->y) && r.Short(&item->cx) && r.Short(&item->cy) && r.Word(&id);
        item->id = id;
    }
    if (!ok)
        return Fail(why, "an item's header runs past the end");
    if (!r.Name(&item->className))
        return Fail(why, "an item's class runs past the end");
    if (!r.Name(&item->title))
        return Fail(why, "an item's title runs past the end");
    const uint8_t *sizeWord = r.Here();
    uint16_t count;
    if (!r.Word(&count))
        return Fail(why, "an item's creation data size runs past the end");
    if (!r.Skip(count))
        return Fail(why, "an item's creation data runs past the end");
    item->creationData = count ? sizeWord : nullptr;
    item->creationSize = count;
    return true;
}

} // namespace

const char16_t *PredefinedClassName(uint16_t ordinal) {
    switch (ordinal) {
    case 0x0080: return u"BUTTON";
    case 0x0081: return u"EDIT";
    case 0x0082: return u"STATIC";
    case 0x0083: return u"LISTBOX";
    case 0x0084: return u"SCROLLBAR";
    case 0x0085: return u"COMBOBOX";
    default: return nullptr;
    }
}

bool ParseDialogTemplate(const uint8_t *data, size_t size, DialogTemplate *out, std::string *why) {
    if (!data)
        return Fail(why, "no template");
    DialogTemplate t;
    Reader r(data, size);
    uint16_t version, signature;
    if (!r.Word(&version) || !r.Word(&signature))
        return Fail(why, "the header runs past the end");
    uint16_t count;
    if (signature == 0xFFFF) {
        // A standard template cannot start so: its style would be both
        // WS_POPUP and WS_CHILD and every other bit of the high word.
        if (version != 1)
            return Fail(why, "an extended template of version " + std::to_string(version));
        t.extended = true;
        if (!r.Dword(&t.helpId) || !r.Dword(&t.exStyle) || !r.Dword(&t.style))
            return Fail(why, "the header runs past the end");
    } else {
        t.style = uint32_t(version) | uint32_t(signature) << 16;
        if (!r.Dword(&t.exStyle))
            return Fail(why, "the header runs past the end");
    }
    if (!r.Word(&count) || !r.Short(&t.x) || !r.Short(&t.y) || !r.Short(&t.cx) || !r.Short(&t.cy))
        return Fail(why, "the header runs past the end");

    // The menu and the class: 0x0000 for none (the system's dialog class).
    auto nameOrNone = [&](TemplateName *name) {
        if (!r.Has(2))
            return false;
        if (r.Here()[0] == 0 && r.Here()[1] == 0)
            return r.Skip(2);
        return r.Name(name);
    };
    if (!nameOrNone(&t.menu))
        return Fail(why, "the menu runs past the end");
    if (!nameOrNone(&t.className))
        return Fail(why, "the class runs past the end");
    if (!r.String(&t.title))
        return Fail(why, "the title runs past the end");
    if (t.style & DS_SETFONT) {
        TemplateFont font;
        if (!r.Word(&font.points))
            return Fail(why, "the font's size runs past the end");
        // The size 0x7FFF stands for the message font and ends the block.
        if (font.points != 0x7FFF) {
            if (t.extended) {
                uint8_t italic;
                if (!r.Word(&font.weight) || !r.Byte(&italic) || !r.Byte(&font.charSet))
                    return Fail(why, "the font's weight runs past the end");
                font.italic = italic != 0;
            }
            if (!r.String(&font.face))
                return Fail(why, "the font's face name runs past the end");
        }
        t.font = font;
    }
    for (uint16_t i = 0; i < count; ++i) {
        if (!r.AlignedDwordFits())
            return Fail(why, "item " + std::to_string(i + 1) + " of " + std::to_string(count) +
                                 " is missing");
        r.AlignDword();
        TemplateItem item;
        std::string itemWhy;
        if (!ParseItem(r, t.extended, &item, &itemWhy))
            return Fail(why, "item " + std::to_string(i + 1) + ": " + itemWhy);
        t.items.push_back(item);
    }
    *out = std::move(t);
    return true;
}

} // namespace sim
