// DeviceSim: dialog templates as a program's resources hold them — the
// standard form (DLGTEMPLATE and DLGITEMTEMPLATE) and the extended one
// (DLGTEMPLATEEX and DLGITEMTEMPLATEEX) — read into plain values.
//
// Reading is bounded by the size given: a template that is cut short or
// whose fields run past its end is refused with the reason, never read
// beyond.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

// A field that holds either a number (0xFFFF and an ordinal) or a string.
struct TemplateName {
    bool isOrdinal = false;
    uint16_t ordinal = 0;
    std::u16string text;
    bool Empty() const { return !isOrdinal && text.empty(); }
};

// The font block of a template with DS_SETFONT (or DS_SHELLFONT).
struct TemplateFont {
    uint16_t points = 0; // 0x7FFF: the system's message font
    uint16_t weight = FW_DONTCARE;
    bool italic = false;
    uint8_t charSet = DEFAULT_CHARSET;
    std::u16string face;
};

struct TemplateItem {
    DWORD helpId = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    // The control id: a WORD in a standard template, a DWORD (signed, so
    // -1 stays -1) in an extended one.
    LONG_PTR id = 0;
    TemplateName className; // an ordinal names a predefined class
    TemplateName title;     // an ordinal names a resource (a static's icon)
    // The creation data as the control's WM_CREATE sees it: the address of
    // the size word that comes before the data, or null when there is none.
    const uint8_t *creationData = nullptr;
    uint16_t creationSize = 0; // bytes of data after the size word
};

struct DialogTemplate {
    bool extended = false;
    DWORD helpId = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    TemplateName menu;
    TemplateName className; // empty: the system's dialog class
    std::u16string title;
    std::optional<TemplateFont> font;
    std::vector<TemplateItem> items;
};

// Reads the template of `size` bytes at `data`. False, with what is wrong
// in `why`, when it is malformed or cut short.
bool ParseDialogTemplate(const uint8_t *data, size_t size, DialogTemplate *out, std::string *why);

// The class a predefined ordinal stands for (0x0080 BUTTON to 0x0085
// COMBOBOX), or null for any other number.
const char16_t *PredefinedClassName(uint16_t ordinal);

} // namespace sim
