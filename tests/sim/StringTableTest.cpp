// LoadStringW on a program's compiled string table: the blocks of sixteen,
// truncation with a terminator, and ids that name no string.
#include "resource.h"
#include "support/Devices.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>

using namespace test;

namespace {

const WCHAR kGuard = 0xBDBD;
const std::u16string kTitle = u"Pointrel Error";
const std::u16string kPreviewError = u"Could not open cursor file. Please try another cursor by "
                                     u"using the \"Display\" tab in Pointrel Settings.";
const std::u16string kStartupError =
    kPreviewError + u"\n\nThis window will close automatically in 30 seconds if you don't "
                    u"press \"OK\".";

} // namespace

TEST(StringTable, CopiesTruncatesAndTerminatesWithinTheBuffer) {
    struct Case {
        const char *what;
        UINT id;
        int capacity;
        int result;
        std::optional<std::u16string> text; // checked when set
        std::optional<DWORD> error;         // checked when set
    };
    const Case cases[] = {
        {"first of its block", IDS_ERROR_TITLE, 64, 14, kTitle, std::nullopt},
        {"exactly fits with its terminator", IDS_ERROR_TITLE, 15, 14, kTitle, std::nullopt},
        {"one too long: truncated", IDS_ERROR_TITLE, 14, 13, u"Pointrel Erro", std::nullopt},
        {"room for the terminator only", IDS_ERROR_TITLE, 1, 0, u"", std::nullopt},
        {"after another string of its block", IDS_STARTUP_IMAGE_ERROR, STRING_CAPACITY,
         int(kStartupError.size()), kStartupError, std::nullopt},
        {"after two strings of its block", IDS_PREVIEW_IMAGE_ERROR, STRING_CAPACITY,
         int(kPreviewError.size()), kPreviewError, std::nullopt},
        {"an unused id of a block that exists", IDS_PREVIEW_IMAGE_ERROR + 1, 64, 0, std::nullopt,
         std::nullopt},
        {"an id whose block does not exist", 1, 64, 0, std::nullopt,
         DWORD(ERROR_RESOURCE_NAME_NOT_FOUND)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        sim::Device d;
        std::u16string buffer(STRING_CAPACITY + 8, kGuard);
        int result = -1;
        DWORD error = 0;
        RunInside(
            d,
            [&] {
                SetLastError(0xdeadbeef);
                result = LoadStringW(GetModuleHandleW(nullptr), c.id, buffer.data(), c.capacity);
                error = GetLastError();
            },
            "Pointrel");
        EXPECT_EQ(result, c.result);
        if (c.text) {
            EXPECT_EQ(buffer.substr(0, c.text->size() + 1), *c.text + u'\0');
            EXPECT_EQ(buffer.find_first_not_of(kGuard, c.text->size() + 1), std::u16string::npos)
                << "written past the terminator";
        }
        if (c.error) {
            EXPECT_EQ(error, *c.error);
        }
    }
}

TEST(StringTable, AProgramWithoutStringsFindsNone) {
    sim::Device d;
    std::u16string buffer(16, kGuard);
    int result = -1;
    DWORD error = 0;
    RunInside(d, [&] {
        result = LoadStringW(nullptr, IDS_ERROR_TITLE, buffer.data(), int(buffer.size()));
        error = GetLastError();
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(error, DWORD(ERROR_RESOURCE_NAME_NOT_FOUND));
}
