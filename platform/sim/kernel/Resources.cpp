// DeviceSim: a program's compiled resources (.res), read by FindResourceW,
// LoadResource, SizeofResource, LockResource and LoadStringW.
#include <windows.h>

#include "kernel/Kernel.h"
#include "kernel/Names.h"
#include "kernel/ResourceFile.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>

using namespace sim;

namespace {

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
        for (const ResourceEntry &e : ReadResourceEntries(image->resources, image->resourcesSize)) {
            if (!Matches(type, e.typeId, e.typeName))
                continue;
            typeFound = true;
            if (Matches(name, e.nameId, e.name))
                return reinterpret_cast<HRSRC>(const_cast<uint8_t *>(e.header));
        }
    SetError(typeFound ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
    return nullptr;
}

static std::optional<ResourceEntry> EntryOf(HMODULE module, HRSRC info) {
    const ProgramImage *image = ImageOf(module);
    if (!image || !image->resources || !info)
        return std::nullopt;
    for (const ResourceEntry &e : ReadResourceEntries(image->resources, image->resourcesSize))
        if (reinterpret_cast<HRSRC>(const_cast<uint8_t *>(e.header)) == info)
            return e;
    return std::nullopt;
}

HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC info) {
    sim::CountCall("LoadResource");
    std::optional<ResourceEntry> e = EntryOf(module, info);
    return e ? const_cast<uint8_t *>(e->data) : nullptr;
}

LPVOID WINAPI LockResource(HGLOBAL data) {
    sim::CountCall("LockResource");
    return data;
}

DWORD WINAPI SizeofResource(HMODULE module, HRSRC info) {
    sim::CountCall("SizeofResource");
    std::optional<ResourceEntry> e = EntryOf(module, info);
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
        for (const ResourceEntry &e : ReadResourceEntries(image->resources, image->resourcesSize)) {
            if (!Matches(RT_STRING, e.typeId, e.typeName) || !Matches(block, e.nameId, e.name))
                continue;
            std::optional<std::u16string> text = StringInBlock(e.data, e.size, id % 16);
            if (!text)
                break;
            int copied = int(std::min<size_t>(text->size(), size_t(capacity - 1)));
            std::copy_n(text->begin(), copied, buffer);
            buffer[copied] = 0;
            return copied;
        }
    }
    SetError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return 0;
}
