// Help links on a real static control: what a label becomes, and that it
// gives everything back when it is destroyed.
#include "../../SettingsGuiApplication/HelpLinks.h"
#include "support/Devices.h"

#include <windows.h>

#include <gtest/gtest.h>

using namespace test;

TEST(HelpLinks, ALabelBecomesALinkAndGivesItsFontBackWhenDestroyed) {
    sim::Device d(NoShell());
    struct Seen {
        bool notify = false;
        bool linkProc = false;
        bool sameFont = false;
        bool notUnderlined = false;
        bool marked = false;
        bool createdDeleted = false;
        bool originalKept = false;
    } seen;
    RunInside(d, [&] {
        HWND parent = CreateWindowExW(0, u"STATIC", u"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                      nullptr, nullptr);
        HWND label = CreateWindowExW(0, u"STATIC", u"[?]", WS_CHILD | WS_VISIBLE, 0, 0, 20, 12,
                                     parent, reinterpret_cast<HMENU>(1044), nullptr, nullptr);
        HFONT original = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(original), 0);
        HelpLinks links{parent};
        MakeHelpLinkLabel(&links, label, false);

        seen.notify = (GetWindowLongW(label, GWL_STYLE) & SS_NOTIFY) != 0;
        seen.linkProc =
            GetWindowLongPtrW(label, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(HelpLinkLabelProc);
        HFONT created = static_cast<HFONT>(
            GetPropW(label, reinterpret_cast<LPCWSTR>(u"_HelpLinkLabel_Underline_Font_")));
        seen.sameFont = created != nullptr &&
                        reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)) == created;
        LOGFONTW look{};
        seen.notUnderlined =
            GetObjectW(created, sizeof(look), &look) == sizeof(look) && look.lfUnderline == FALSE;
        seen.marked = GetPropW(label, reinterpret_cast<LPCWSTR>(u"_HelpLinkLabel_From_Static_")) ==
                      reinterpret_cast<HANDLE>(&links);

        DestroyWindow(parent);
        seen.createdDeleted = GetObjectW(created, sizeof(look), &look) == 0;
        seen.originalKept = GetObjectW(original, sizeof(look), &look) == sizeof(look);
    });
    EXPECT_TRUE(seen.notify);
    EXPECT_TRUE(seen.linkProc);
    EXPECT_TRUE(seen.sameFont);
    EXPECT_TRUE(seen.notUnderlined);
    EXPECT_TRUE(seen.marked);
    EXPECT_TRUE(seen.createdDeleted) << "the label's own font goes with it";
    EXPECT_TRUE(seen.originalKept);
}
