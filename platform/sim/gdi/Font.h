// DeviceSim: the device's font — Tahoma, the Windows Mobile system font —
// drawn through FreeType: the sizes a logical font comes to, their metrics,
// and their glyphs as 8-bit coverage.
//
// The stand-in for Tahoma is Wine's Tahoma-compatible font from Debian's
// fonts-wine package (LGPL-2.1+), read from a fixed path with no host font
// configuration. FreeType runs with fixed settings (its own library
// instance, environment overrides unread, light auto-hinting, grey
// anti-aliasing, no embedded bitmaps), so the same text gives the same pixels
// on every run and machine with the same package versions. The faces are
// loaded once per process and only read afterwards; every device shares
// them, and each size keeps the glyphs it has rendered.
#pragma once

#include <windows.h>

#include "gdi/TextLayout.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

// ---------------------------------------------------------------- host set-up

// Where the font files lie, and the package that installs them.
inline constexpr const char *kFontPackage = "fonts-wine";
std::string FontFilePath(bool bold);
// Loads the font files, once per process. False, with a message naming the
// missing file and the package to install, when they cannot be loaded.
bool LoadFonts(std::string *why);
// What the pixels of text depend on outside DeviceSim: the rasteriser's
// version ("FreeType 2.12.1") and a digest (FNV-1a, 64 bits) of a font file.
std::string FontEngineVersion();
uint64_t FontFileDigest(bool bold);

// ---------------------------------------------------------------- sizes

// The system font (the stock SYSTEM_FONT and DEFAULT_GUI_FONT, and what a
// dialog's "MS Shell Dlg" comes to) is Tahoma 8 pt at the screen's DPI.
inline constexpr int kSystemFontPoints = 8;
// The largest em a logical font comes to, in pixels. No Pocket PC screen is
// taller; the cap keeps an absurd height from rendering glyphs of millions
// of pixels.
inline constexpr int kMaxFontPixels = 640;

// What a logical font comes to on the device: one face at one pixel size.
struct FontSize {
    int ppem = 0; // pixels per em
    bool bold = false;
    bool operator==(const FontSize &) const = default;
};

// The logical font of the stock system font on a screen of `dpi`.
LOGFONTW SystemLogFont(int dpi);
// Maps a logical font as the platform's font mapper does: every face name
// comes to Tahoma, the only face on the device; a negative height is the em
// size, a positive one the cell height (ascent + descent) the font must fit,
// 0 the system font's size; a weight above 550 takes the bold face.
FontSize ResolveFont(const LOGFONTW &font, int dpi);

struct FontMetrics {
    int ppem = 0;
    bool bold = false;
    int height = 0, ascent = 0, descent = 0; // the cell: ascent + descent
    int internalLeading = 0, externalLeading = 0;
    int aveCharWidth = 0, maxCharWidth = 0;
    int weight = 0;
    char16_t firstChar = 0, lastChar = 0, defaultChar = 0, breakChar = 0;
    // Rows below the cell's top: the underline's first row and the strike-out's.
    int underlineTop = 0, underlineHeight = 1;
    int strikeOutTop = 0, strikeOutHeight = 1;
};

// One glyph as drawn: coverage from 0 (paper) to 255 (ink), row by row from
// the top, placed with its top-left at (pen + left, cell top + top).
struct GlyphImage {
    int left = 0, top = 0;
    int width = 0, height = 0;
    std::vector<uint8_t> coverage;
    uint8_t At(int x, int y) const { return coverage[size_t(y) * size_t(width) + size_t(x)]; }
};

// A face at one pixel size. Made once per process for each size asked for
// and never destroyed, so references stay good; safe to use from any thread.
class Font : public TextMeasure {
public:
    const FontMetrics &Metrics() const { return metrics_; }
    int Advance(char16_t ch) const override;
    int LineHeight() const override { return metrics_.height; }
    const GlyphImage &Glyph(char16_t ch) const;
    // Whether the face has a glyph of its own for `ch`; the others draw the
    // face's missing-glyph box.
    bool HasGlyph(char16_t ch) const;

    struct Impl;
    explicit Font(Impl *impl, const FontMetrics &metrics) : impl_(impl), metrics_(metrics) {}

private:
    Impl *impl_;
    FontMetrics metrics_;
};

// The font of one size; loads the font files first if need be, and stops
// with the message of LoadFonts when they are missing.
const Font &FontAt(FontSize size);

// The dialog base units of a font as the dialog manager works them out: the
// width of the 52 letters A-Z and a-z divided by 52 and rounded, and the
// cell height.
struct DialogUnits {
    int x = 0, y = 0;
    bool operator==(const DialogUnits &) const = default;
};
DialogUnits DialogBaseUnits(const Font &font);

} // namespace sim
