// DeviceSim: a program's compiled resources (.res), read by FindResourceW,
// LoadResource, SizeofResource, LockResource and LoadStringW.
#include <windows.h>

#include "kernel/Kernel.h"
#include "kernel/Names.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>

using namespace sim;

namespace {

struct Entry {
    const uint8_t *header;
    const uint8_t *data;
    uint32_t size;
    uint16_t typeId, nameId; // 0 when named by a string
    std::u16string typeName, name;
};

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

// The entries of a .res file, stopping at the first malformed one.
std::vector<Entry> Entries(const uint8_t *res, size_t size) {
    std::vector<Entry> out;
    const uint8_t *p = res, *end = res + size;
    while (end - p >= 8) {
        Entry e{};
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

bool Matches(LPCWSTR wanted, uint16_t id, const std::u16string &text) {
    if (IS_INTRESOURCE(wanted))
        return id != 0 && id == static_cast<uint16_t>(reinterpret_cast<uintptr_t>(wanted));
    if (wanted[0] == u'#') {
        uint32_t n = 0;
        for (LPCWSTR c = wanted + 1; *c; ++c) {
            if (*c < u'0' || *c > u'9' || n > 0xFFFF)
                return false;
            n = n * 10 + (*c - u'0');
        }
        return id != 0 && n == id;
    }
    return id == 0 && NameKey(wanted) == NameKey(text);
}

const ProgramImage *ImageOf(HMODULE module) {
    Process &process = CurrentProcess();
    if (module && module != static_cast<HMODULE>(process.Instance()))
        return nullptr;
    return process.image;
}

} // namespace

HRSRC WINAPI FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) {
    sim::CountCall("FindResourceW");
    const ProgramImage *image = ImageOf(module);
    // The platform tells a missing type from a missing name.
    bool typeFound = false;
    if (image && image->resources && name && type)
        for (const Entry &e : Entries(image->resources, image->resourcesSize)) {
            if (!Matches(type, e.typeId, e.typeName))
                continue;
            typeFound = true;
            if (Matches(name, e.nameId, e.name))
                return reinterpret_cast<HRSRC>(const_cast<uint8_t *>(e.header));
        }
    SetError(typeFound ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
    return nullptr;
}

static std::optional<Entry> EntryOf(HMODULE module, HRSRC info) {
    const ProgramImage *image = ImageOf(module);
    if (!image || !image->resources || !info)
        return std::nullopt;
    for (const Entry &e : Entries(image->resources, image->resourcesSize))
        if (reinterpret_cast<HRSRC>(const_cast<uint8_t *>(e.header)) == info)
            return e;
    return std::nullopt;
}

HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC info) {
    sim::CountCall("LoadResource");
    std::optional<Entry> e = EntryOf(module, info);
    return e ? const_cast<uint8_t *>(e->data) : nullptr;
}

LPVOID WINAPI LockResource(HGLOBAL data) {
    sim::CountCall("LockResource");
    return data;
}

DWORD WINAPI SizeofResource(HMODULE module, HRSRC info) {
    sim::CountCall("SizeofResource");
    std::optional<Entry> e = EntryOf(module, info);
    return e ? e->size : 0;
}

// A string table is stored in blocks of 16 strings: block n + 1 holds the ids
// 16n to 16n + 15, each string a 16-bit length followed by that many UTF-16
// units without a terminator. An empty string marks an unused id.
int WINAPI LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int capacity) {
    sim::CountCall("LoadStringW");
    // Differs from the platform: the forms that hand out a read-only pointer
    // to the resource (Windows CE: a null buffer, the address as the result;
    // desktop Windows: a size of 0, the address stored in the buffer) are not
    // provided.
    if (!buffer || capacity < 1) {
        std::fprintf(stderr, "DeviceSim: LoadStringW needs a buffer of at least one character; "
                             "the read-only pointer forms are not provided\n");
        std::abort();
    }
    const ProgramImage *image = ImageOf(instance);
    if (image && image->resources && id <= 0xFFFF) {
        LPCWSTR block = MAKEINTRESOURCEW(id / 16 + 1);
        for (const Entry &e : Entries(image->resources, image->resourcesSize)) {
            if (!Matches(RT_STRING, e.typeId, e.typeName) || !Matches(block, e.nameId, e.name))
                continue;
            const uint8_t *p = e.data, *end = e.data + e.size;
            for (UINT skip = id % 16;; --skip) {
                if (end - p < 2 || size_t(end - p - 2) / 2 < Read16(p))
                    break; // a malformed block
                uint16_t length = Read16(p);
                if (skip == 0) {
                    if (length == 0)
                        break;
                    int copied = std::min<int>(length, capacity - 1);
                    for (int i = 0; i < copied; ++i)
                        buffer[i] = Read16(p + 2 + 2 * i);
                    buffer[copied] = 0;
                    return copied;
                }
                p += 2 + 2 * size_t(length);
            }
            break;
        }
    }
    SetError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return 0;
}
