// DeviceSim: LoadBitmapW — a bitmap resource (a packed DIB: header, colour
// table or masks, pixels) made into a DIB section of the same form.
#include <windows.h>

#include "kernel/Context.h"

#include <cstdint>
#include <cstring>
#include <vector>

HBITMAP WINAPI LoadBitmapW(HINSTANCE instance, LPCWSTR name) {
    sim::CountCall("LoadBitmapW");
    HRSRC found = FindResourceW(instance, name, RT_BITMAP);
    if (!found) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    const DWORD size = SizeofResource(instance, found);
    const auto *data = static_cast<const uint8_t *>(LockResource(LoadResource(instance, found)));
    BITMAPINFOHEADER h;
    if (!data || size < sizeof h) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    std::memcpy(&h, data, sizeof h);
    // The colour table: masks for BI_BITFIELDS, else a palette for the
    // smaller depths (its size says how many colours, 0 all of them).
    uint64_t colours = 0;
    if (h.biCompression == BI_BITFIELDS)
        colours = 3;
    else if (h.biBitCount <= 8)
        colours = h.biClrUsed ? h.biClrUsed : (uint64_t{1} << h.biBitCount);
    const int64_t width = h.biWidth, height = h.biHeight < 0 ? -int64_t{h.biHeight} : h.biHeight;
    const uint64_t stride = ((static_cast<uint64_t>(width) * h.biBitCount + 31) / 32) * 4;
    const uint64_t offset = h.biSize + colours * 4;
    if (h.biSize < sizeof h || width <= 0 || height <= 0 || width > 0x8000 || height > 0x8000 ||
        h.biPlanes != 1 || offset > size ||
        stride * static_cast<uint64_t>(height) > size - offset) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    // The header and colour table as CreateDIBSection reads them; the depths
    // that it does not make fail here as they fail there.
    std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + colours * 4 + 4);
    std::memcpy(info.data(), data, sizeof h);
    reinterpret_cast<BITMAPINFOHEADER *>(info.data())->biSize = sizeof(BITMAPINFOHEADER);
    std::memcpy(info.data() + sizeof h, data + h.biSize, colours * 4);
    void *bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO *>(info.data()),
                                      DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) {
        if (bitmap)
            DeleteObject(bitmap);
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    std::memcpy(bits, data + offset, stride * static_cast<uint64_t>(height));
    return bitmap;
}
