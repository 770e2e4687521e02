// Fuzzes the BMP decoder with whole files and, for every file it accepts,
// the cursor program's own path: load the file from the device's file
// system as a cursor image, convert it, and build the window shape from it.
#include "CursorImages.h"
#include "FuzzDevice.h"
#include "gdi/BmpDecoder.h"
#include "kernel/FileSystem.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    sim::Bitmap bitmap;
    std::string why;
    if (!sim::DecodeBmp(data, size, bitmap, &why)) {
        if (why.empty())
            __builtin_trap(); // a refusal always says why
        return 0;
    }
    // What the decoder hands on must hold every row it claims.
    if (bitmap.width <= 0 || bitmap.height <= 0 ||
        bitmap.bits.size() < size_t(bitmap.height) * bitmap.stride)
        __builtin_trap();
    // Large images are valid, but converting one costs seconds under the
    // sanitizers and no cursor is larger than the screen.
    if (int64_t(bitmap.width) * bitmap.height > 480 * 640)
        return 0;

    sim::Device &d = fuzz::SharedDevice();
    const std::u16string path = u"\\Windows\\fuzz-cursor.bmp";
    d.files().CopyIn(path, std::vector<uint8_t>(data, data + size), d.CalendarNow());
    fuzz::RunOnDevice([&] {
        HBITMAP image = LoadCursorImage(reinterpret_cast<LPCWSTR>(path.c_str()));
        if (!image)
            return;
        // The two colours the shipped cursors use for their transparent parts.
        const COLORREF keys[] = {RGB(255, 0, 255), RGB(255, 255, 255)};
        for (COLORREF key : keys) {
            HRGN shape = BuildCursorShape(image, key);
            if (shape)
                DeleteObject(shape);
        }
        DeleteObject(image);
    });
    return 0;
}
