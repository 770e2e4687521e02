// DeviceSim: the device's font through FreeType.
#include "gdi/Font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_MODULE_H
#include FT_ADVANCES_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>

#ifndef POINTREL_FONT_DIR
#define POINTREL_FONT_DIR "/usr/share/wine/fonts"
#endif

namespace sim {

namespace {

// Fixed rendering: outlines only (the files' embedded bitmaps are Wine's
// pictures of another rasteriser), FreeType's auto-hinter in its light mode
// (lines snap to whole pixel rows, widths stay as designed), grey coverage.
constexpr FT_Int32 kLoadFlags = FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_LIGHT | FT_LOAD_FORCE_AUTOHINT;
// Advances are the designed widths rounded to whole pixels, as GDI places
// glyphs.
constexpr FT_Int32 kAdvanceFlags = FT_LOAD_NO_BITMAP | FT_LOAD_NO_HINTING;

int RoundScaled(int64_t units, int ppem, int unitsPerEm) {
    int64_t n = units * ppem * 2;
    int64_t d = int64_t{unitsPerEm} * 2;
    return static_cast<int>(n >= 0 ? (n + unitsPerEm) / d : -((-n + unitsPerEm) / d));
}

// One font file, with the numbers of its tables that the metrics need.
struct Face {
    std::vector<uint8_t> bytes;
    FT_Face face = nullptr;
    int unitsPerEm = 2048;
    int winAscent = 0, winDescent = 0;
    int hheaAscent = 0, hheaDescent = 0, hheaLineGap = 0;
    int avgCharWidth = 0, maxAdvance = 0, weight = 400;
    int underlinePosition = 0, underlineThickness = 0;
    int strikeOutPosition = 0, strikeOutSize = 0;
    char16_t firstChar = 0, lastChar = 0, defaultChar = 0, breakChar = u' ';
    // Vertical device metrics: the rows each em size really reaches.
    std::map<int, std::pair<int, int>> vdmx; // ppem -> (yMax, yMin)

    // The cell an em size comes to: from the device metrics where the font
    // gives them, as the platform does, else from the scaled Windows ascent
    // and descent.
    void Cell(int ppem, int *ascent, int *descent) const {
        auto it = vdmx.find(ppem);
        if (it != vdmx.end()) {
            *ascent = it->second.first;
            *descent = -it->second.second;
            return;
        }
        *ascent = RoundScaled(winAscent, ppem, unitsPerEm);
        *descent = RoundScaled(winDescent, ppem, unitsPerEm);
    }
};

uint16_t Be16(const std::vector<uint8_t> &t, size_t at) {
    return static_cast<uint16_t>(t[at] << 8 | t[at + 1]);
}

// Reads the VDMX table's group for a 1:1 aspect ratio, if there is one.
void ReadVdmx(Face &f) {
    FT_ULong length = 0;
    const FT_ULong tag = FT_MAKE_TAG('V', 'D', 'M', 'X');
    if (FT_Load_Sfnt_Table(f.face, tag, 0, nullptr, &length) || length < 6)
        return;
    std::vector<uint8_t> t(length);
    if (FT_Load_Sfnt_Table(f.face, tag, 0, t.data(), &length))
        return;
    size_t ratios = Be16(t, 4);
    if (6 + ratios * 6 > t.size())
        return;
    for (size_t i = 0; i < ratios; ++i) {
        const uint8_t *r = &t[6 + i * 4];
        bool fits = r[1] == 0 || (r[1] == 1 && r[2] <= 1 && r[3] >= 1);
        if (!fits)
            continue;
        size_t group = Be16(t, 6 + ratios * 4 + i * 2);
        if (group + 4 > t.size())
            return;
        size_t records = Be16(t, group);
        if (group + 4 + records * 6 > t.size())
            return;
        for (size_t k = 0; k < records; ++k) {
            size_t at = group + 4 + k * 6;
            f.vdmx[Be16(t, at)] = {static_cast<int16_t>(Be16(t, at + 2)),
                                   static_cast<int16_t>(Be16(t, at + 4))};
        }
        return;
    }
}

// The one FreeType instance of the process and the two faces, loaded once.
// FreeType objects are not thread-safe: every use holds `mutex`.
struct Library {
    std::mutex mutex;
    bool tried = false;
    std::string error;
    FT_Library library = nullptr;
    Face faces[2]; // regular, bold
    std::map<std::pair<int, bool>, std::unique_ptr<Font>> fonts;
    std::vector<std::unique_ptr<Font::Impl>> impls;
};

Library &Lib() {
    static Library *lib = new Library; // lives as long as the process
    return *lib;
}

bool LoadFace(FT_Library library, const std::string &path, Face &f, std::string *why) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *why = "the device's font " + path + " is missing; install Debian's " + kFontPackage +
               " package (apt-get install " + kFontPackage + ")";
        return false;
    }
    f.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (FT_New_Memory_Face(library, f.bytes.data(), static_cast<FT_Long>(f.bytes.size()), 0,
                           &f.face) ||
        !FT_IS_SCALABLE(f.face)) {
        *why = "the device's font " + path + " cannot be read; reinstall Debian's " + kFontPackage +
               " package";
        return false;
    }
    f.unitsPerEm = f.face->units_per_EM;
    const auto *os2 = static_cast<const TT_OS2 *>(FT_Get_Sfnt_Table(f.face, FT_SFNT_OS2));
    const auto *hhea = static_cast<const TT_HoriHeader *>(FT_Get_Sfnt_Table(f.face, FT_SFNT_HHEA));
    if (!os2 || !hhea) {
        *why = "the device's font " + path + " has no OS/2 or hhea table";
        return false;
    }
    f.winAscent = os2->usWinAscent;
    f.winDescent = os2->usWinDescent;
    f.hheaAscent = hhea->Ascender;
    f.hheaDescent = hhea->Descender;
    f.hheaLineGap = hhea->Line_Gap;
    f.avgCharWidth = os2->xAvgCharWidth;
    f.maxAdvance = hhea->advance_Width_Max;
    f.weight = os2->usWeightClass;
    f.underlinePosition = f.face->underline_position;
    f.underlineThickness = f.face->underline_thickness;
    f.strikeOutPosition = os2->yStrikeoutPosition;
    f.strikeOutSize = os2->yStrikeoutSize;
    FT_UInt gid = 0;
    FT_ULong ch = FT_Get_First_Char(f.face, &gid);
    f.firstChar = static_cast<char16_t>(ch);
    while (gid && ch <= 0xFFFF) {
        f.lastChar = static_cast<char16_t>(ch);
        ch = FT_Get_Next_Char(f.face, ch, &gid);
    }
    // Without a default character of its own, GDI names the one before the
    // first.
    f.defaultChar = os2->version >= 2 && os2->usDefaultChar
                        ? static_cast<char16_t>(os2->usDefaultChar)
                        : static_cast<char16_t>(f.firstChar ? f.firstChar - 1 : 0);
    f.breakChar =
        os2->version >= 2 && os2->usBreakChar ? static_cast<char16_t>(os2->usBreakChar) : u' ';
    ReadVdmx(f);
    return true;
}

void *Allocate(FT_Memory, long size) {
    return std::malloc(static_cast<size_t>(size));
}
void Release(FT_Memory, void *block) {
    std::free(block);
}
void *Reallocate(FT_Memory, long, long size, void *block) {
    return std::realloc(block, static_cast<size_t>(size));
}
FT_MemoryRec_ gMemory{nullptr, Allocate, Release, Reallocate};

// Holds the library's lock.
bool LoadLocked(Library &lib, std::string *why) {
    if (!lib.tried) {
        lib.tried = true;
        // FT_Init_FreeType would also apply FREETYPE_PROPERTIES from the
        // environment; a library made this way keeps FreeType's defaults.
        if (FT_New_Library(&gMemory, &lib.library)) {
            lib.error = "FreeType could not start";
        } else {
            FT_Add_Default_Modules(lib.library);
            for (int bold = 0; bold < 2 && lib.error.empty(); ++bold)
                if (!LoadFace(lib.library, FontFilePath(bold), lib.faces[bold], &lib.error))
                    break;
        }
    }
    if (!lib.error.empty() && why)
        *why = lib.error;
    return lib.error.empty();
}

// Holds the library's lock; stops the process when the fonts are missing,
// as a device without its system font cannot draw a single word.
Library &Loaded() {
    Library &lib = Lib();
    std::string why;
    if (!LoadLocked(lib, &why)) {
        std::fprintf(stderr, "DeviceSim: %s\n", why.c_str());
        std::abort();
    }
    return lib;
}

int MulDivRound(int a, int b, int c) {
    int64_t n = int64_t{a} * b;
    return static_cast<int>(n >= 0 ? (n + c / 2) / c : -((-n + c / 2) / c));
}

} // namespace

namespace {

// The bold file's outlines are the regular ones (its embedded bitmaps hold
// the bold pictures); its advances are the bold widths. The glyph is widened
// by what its bold advance adds, as the platform emboldens a face that lacks
// bold outlines, and stays at its left side bearing.
FT_Pos BoldStrength(Library &lib, char16_t ch, int ppem) {
    FT_Fixed regular = 0, bold = 0;
    FT_Face regularFace = lib.faces[0].face, boldFace = lib.faces[1].face;
    FT_Get_Advance(regularFace, FT_Get_Char_Index(regularFace, ch), FT_LOAD_NO_SCALE, &regular);
    FT_Get_Advance(boldFace, FT_Get_Char_Index(boldFace, ch), FT_LOAD_NO_SCALE, &bold);
    const int upem = lib.faces[1].unitsPerEm;
    int64_t units = std::clamp<int64_t>(bold - regular, upem / 32, upem / 8);
    return static_cast<FT_Pos>(units * ppem * 64 / upem); // 26.6 pixels
}

// The rendered bitmap as coverage, cut to the cell: the platform clips what
// reaches past the font's height, which the device metrics promise is
// nothing a glyph needs.
void CopyCoverage(const FT_GlyphSlotRec &slot, const FontMetrics &m, GlyphImage &image) {
    const FT_Bitmap &b = slot.bitmap;
    if (b.pixel_mode != FT_PIXEL_MODE_GRAY || !b.width || !b.rows)
        return;
    const int top = m.ascent - slot.bitmap_top;
    const int first = std::max(0, -top);
    const int last = std::min(static_cast<int>(b.rows), m.height - top); // exclusive
    if (first >= last)
        return;
    image.left = slot.bitmap_left;
    image.top = top + first;
    image.width = static_cast<int>(b.width);
    image.height = last - first;
    image.coverage.resize(size_t(image.width) * size_t(image.height));
    for (int y = first; y < last; ++y) {
        const uint8_t *row = b.buffer + static_cast<ptrdiff_t>(y) * b.pitch;
        for (int x = 0; x < image.width; ++x)
            image.coverage[size_t(y - first) * size_t(image.width) + size_t(x)] =
                b.num_grays == 256
                    ? row[x]
                    : static_cast<uint8_t>(row[x] * 255 / std::max(1, b.num_grays - 1));
    }
}

} // namespace

struct Font::Impl {
    Face *face;
    int ppem;
    mutable std::array<int, 256> low; // advances of U+0000..U+00FF; -1 until asked
    mutable std::unordered_map<char16_t, int> advances;
    mutable std::unordered_map<char16_t, std::unique_ptr<GlyphImage>> glyphs;
};

std::string FontFilePath(bool bold) {
    return std::string(POINTREL_FONT_DIR) + (bold ? "/tahomabd.ttf" : "/tahoma.ttf");
}

bool LoadFonts(std::string *why) {
    Library &lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    return LoadLocked(lib, why);
}

std::string FontEngineVersion() {
    return "FreeType " + std::to_string(FREETYPE_MAJOR) + "." + std::to_string(FREETYPE_MINOR) +
           "." + std::to_string(FREETYPE_PATCH);
}

uint64_t FontFileDigest(bool bold) {
    Library &lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    uint64_t hash = 14695981039346656037ull;
    for (uint8_t byte : Loaded().faces[bold].bytes)
        hash = (hash ^ byte) * 1099511628211ull;
    return hash;
}

LOGFONTW SystemLogFont(int dpi) {
    if (dpi <= 0)
        dpi = 96;
    LOGFONTW lf{};
    lf.lfHeight = -MulDivRound(kSystemFontPoints, dpi, 72);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    const char16_t name[] = u"Tahoma";
    std::copy(std::begin(name), std::end(name), lf.lfFaceName);
    return lf;
}

// Differs from the platform: lfWidth, lfEscapement and lfOrientation are
// not honoured, and italic text is drawn upright; the device's programs ask
// for none of them.
FontSize ResolveFont(const LOGFONTW &font, int dpi) {
    FontSize size;
    size.bold = font.lfWeight > 550;
    int64_t height = font.lfHeight;
    if (height == 0)
        height = SystemLogFont(dpi).lfHeight;
    if (height < 0) {
        size.ppem = static_cast<int>(std::clamp<int64_t>(-height, 1, kMaxFontPixels));
        return size;
    }
    // A cell height: the largest em whose cell fits in it.
    Library &lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    const Face &face = Loaded().faces[size.bold];
    size.ppem = 1;
    for (int ppem = static_cast<int>(std::min<int64_t>(height, kMaxFontPixels)); ppem > 1; --ppem) {
        int ascent, descent;
        face.Cell(ppem, &ascent, &descent);
        if (ascent + descent <= height) {
            size.ppem = ppem;
            break;
        }
    }
    return size;
}

const Font &FontAt(FontSize size) {
    size.ppem = std::clamp(size.ppem, 1, kMaxFontPixels);
    Library &lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    Loaded();
    auto key = std::make_pair(size.ppem, size.bold);
    auto it = lib.fonts.find(key);
    if (it != lib.fonts.end())
        return *it->second;
    Face &face = lib.faces[size.bold];
    const int ppem = size.ppem, upem = face.unitsPerEm;
    FontMetrics m;
    m.ppem = ppem;
    m.bold = size.bold;
    face.Cell(ppem, &m.ascent, &m.descent);
    m.height = m.ascent + m.descent;
    m.internalLeading = m.height - ppem;
    m.externalLeading =
        std::max(0, RoundScaled(face.hheaLineGap - ((face.winAscent + face.winDescent) -
                                                    (face.hheaAscent - face.hheaDescent)),
                                ppem, upem));
    m.aveCharWidth = std::max(1, RoundScaled(face.avgCharWidth, ppem, upem));
    m.maxCharWidth = std::max(1, RoundScaled(face.maxAdvance, ppem, upem));
    m.weight = face.weight;
    m.firstChar = face.firstChar;
    m.lastChar = face.lastChar;
    m.defaultChar = face.defaultChar;
    m.breakChar = face.breakChar;
    // The underline and the strike-out as the font places them, at least a
    // pixel thick and inside the cell.
    m.underlineHeight = std::max(1, RoundScaled(face.underlineThickness, ppem, upem));
    m.underlineTop =
        m.ascent + RoundScaled(-face.underlinePosition - face.underlineThickness / 2, ppem, upem);
    m.underlineTop = std::clamp(m.underlineTop, 0, std::max(0, m.height - m.underlineHeight));
    m.strikeOutHeight = std::max(1, RoundScaled(face.strikeOutSize, ppem, upem));
    m.strikeOutTop = m.ascent - RoundScaled(face.strikeOutPosition, ppem, upem);
    m.strikeOutTop = std::clamp(m.strikeOutTop, 0, std::max(0, m.height - m.strikeOutHeight));

    auto impl = std::make_unique<Font::Impl>();
    impl->face = &face;
    impl->ppem = ppem;
    impl->low.fill(-1);
    auto font = std::make_unique<Font>(impl.get(), m);
    lib.impls.push_back(std::move(impl));
    const Font &result = *font;
    lib.fonts.emplace(key, std::move(font));
    return result;
}

int Font::Advance(char16_t ch) const {
    Library &lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    if (ch < impl_->low.size() && impl_->low[ch] >= 0)
        return impl_->low[ch];
    if (ch >= impl_->low.size())
        if (auto it = impl_->advances.find(ch); it != impl_->advances.end())
            return it->second;
    FT_Face face = impl_->face->face;
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(impl_->ppem));
    FT_Fixed advance = 0;
    FT_Get_Advance(face, FT_Get_Char_Index(face, ch), kAdvanceFlags, &advance);
    int px = static_cast<int>((advance + 0x8000) >> 16);
    if (ch < impl_->low.size())
        impl_->low[ch] = px;
    else
        impl_->advances.emplace(ch, px);
    return px;
}

bool Font::HasGlyph(char16_t ch) const {
    Library &lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    return FT_Get_Char_Index(impl_->face->face, ch) != 0;
}

const GlyphImage &Font::Glyph(char16_t ch) const {
    Library &lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    auto it = impl_->glyphs.find(ch);
    if (it != impl_->glyphs.end())
        return *it->second;
    auto image = std::make_unique<GlyphImage>();
    FT_Face face = impl_->face->face;
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(impl_->ppem));
    // Worked out first: it reads advances, and the load below must be the
    // last thing the face's glyph slot holds.
    const FT_Pos strength = metrics_.bold ? BoldStrength(lib, ch, impl_->ppem) : 0;
    FT_UInt index = FT_Get_Char_Index(face, ch);
    if (!FT_Load_Glyph(face, index, kLoadFlags) && face->glyph->format == FT_GLYPH_FORMAT_OUTLINE) {
        if (strength) {
            FT_Outline_EmboldenXY(&face->glyph->outline, strength, 0);
            FT_Outline_Translate(&face->glyph->outline, strength / 2, 0);
        }
        if (!FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL))
            CopyCoverage(*face->glyph, metrics_, *image);
    }
    const GlyphImage &result = *image;
    impl_->glyphs.emplace(ch, std::move(image));
    return result;
}

DialogUnits DialogBaseUnits(const Font &font) {
    // The platform's rounding: (width / 26 + 1) / 2.
    int64_t width = font.Width(u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return DialogUnits{static_cast<int>((width / 26 + 1) / 2), font.Metrics().height};
}

} // namespace sim
