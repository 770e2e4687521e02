#include "kernel/ResourceFile.h"

namespace sim {

namespace {

uint32_t Read32(const uint8_t *p) {
    return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
}
uint16_t Read16(const uint8_t *p) {
    return uint16_t(p[0] | p[1] << 8);
}

// Reads a type or name field: 0xFFFF and an ordinal, or a terminated string.
bool ReadId(const uint8_t *&p, const uint8_t *end, uint16_t *id, std::u16string *text) {
    if (end - p < 2)
        return false;
    if (Read16(p) == 0xFFFF) {
        if (end - p < 4)
            return false;
        *id = Read16(p + 2);
        p += 4;
        return true;
    }
    *id = 0;
    for (; end - p >= 2; p += 2) {
        char16_t c = Read16(p);
        if (c == 0) {
            p += 2;
            return true;
        }
        *text += c;
    }
    return false;
}

} // namespace

std::vector<ResourceEntry> ReadResourceEntries(const uint8_t *res, size_t size) {
    std::vector<ResourceEntry> out;
    if (!res)
        return out;
    const uint8_t *p = res, *end = res + size;
    while (end - p >= 8) {
        ResourceEntry e{};
        e.header = p;
        e.size = Read32(p);
        uint32_t headerSize = Read32(p + 4);
        if (headerSize < 8 || headerSize > size_t(end - p) || e.size > size_t(end - p) - headerSize)
            break;
        const uint8_t *field = p + 8, *headerEnd = p + headerSize;
        if (!ReadId(field, headerEnd, &e.typeId, &e.typeName) ||
            !ReadId(field, headerEnd, &e.nameId, &e.name))
            break;
        e.data = p + headerSize;
        if (e.size > 0 || e.typeId != 0 || !e.typeName.empty())
            out.push_back(e);
        size_t step = (size_t(headerSize) + e.size + 3) & ~size_t(3);
        if (step > size_t(end - p))
            break;
        p += step;
    }
    return out;
}

std::optional<std::u16string> StringInBlock(const uint8_t *block, size_t size, unsigned index) {
    const uint8_t *p = block, *end = block + size;
    for (unsigned skip = index % 16;; --skip) {
        if (end - p < 2 || size_t(end - p - 2) / 2 < Read16(p))
            return std::nullopt; // a malformed block
        uint16_t length = Read16(p);
        if (skip == 0) {
            if (length == 0)
                return std::nullopt;
            std::u16string text(length, u'\0');
            for (size_t i = 0; i < length; ++i)
                text[i] = Read16(p + 2 + 2 * i);
            return text;
        }
        p += 2 + 2 * size_t(length);
    }
}

} // namespace sim
