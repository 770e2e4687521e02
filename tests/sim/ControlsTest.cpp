// The controls on the device: a dialog holding one of each, painted as a
// Pocket PC shows it, and worked through the device's driver as a user
// works it with the stylus.
#include "support/ControlsDialog.h"
#include "support/Devices.h"

#include <gtest/gtest.h>

#include <optional>

using namespace test;

namespace {

// The bits of a COLORREF that the screen's 16 bits per pixel keep.
constexpr uint32_t kScreenBits = 0xF8FCF8;

const sim::ControlInfo *Find(const sim::DialogReport &r, int id) {
    for (const sim::ControlInfo &c : r.controls)
        if (c.id == id)
            return &c;
    return nullptr;
}

std::string WordsOf(sim::Device &d, int id) {
    std::optional<sim::DialogReport> r = d.DescribeDialog(u"Controls");
    const sim::ControlInfo *c = r ? Find(*r, id) : nullptr;
    return c ? c->words : "(none)";
}

} // namespace

TEST(ControlsOnTheDevice, ADialogOfEveryControlLooksLikeAPocketPcDialog) {
    sim::Device d(NoShell());
    StartControlsDialog(d);
    std::string why;
    ASSERT_TRUE(d.SelectRow(u"Controls", kListId, 1, &why)) << why;
    d.Wait(50);
    const std::string file = ::testing::TempDir() + "controls.png";
    ASSERT_TRUE(d.Screenshot(file, &why)) << why;

    std::optional<sim::DialogReport> r = d.DescribeDialog(u"Controls");
    ASSERT_TRUE(r);
    auto centre = [&](int id) {
        const sim::ControlInfo *c = Find(*r, id);
        return std::pair{(c->rect.left + c->rect.right) / 2, (c->rect.top + c->rect.bottom) / 2};
    };
    struct Case {
        const char *what;
        int x, y;
        uint32_t colour;
    };
    const sim::ControlInfo *push = Find(*r, kPushId);
    const sim::ControlInfo *list = Find(*r, kListId);
    const sim::ControlInfo *red = Find(*r, kRedId);
    ASSERT_TRUE(push && list && red);
    const Case cases[] = {
        {"the dialog is white", 2, 80, 0xFFFFFF},
        {"a push button has a black frame", push->rect.left, centre(kPushId).second, 0x000000},
        {"its face is white", push->rect.left + 3, push->rect.top + 3, 0xFFFFFF},
        {"the list's border is black", list->rect.left, list->rect.top + 5, 0x000000},
        {"the brush a parent answers is what a static shows", red->rect.left + 1, red->rect.top + 1,
         0x0000FF},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.colour & kScreenBits, d.PixelAt(c.x, c.y) & kScreenBits);
    }
    // The selected row is drawn across in the highlight colour.
    int highlighted = 0;
    for (int x = list->rect.left + 2; x < list->rect.right - 20; ++x)
        for (int y = list->rect.top; y < list->rect.bottom; ++y)
            if ((d.PixelAt(x, y) & kScreenBits) == (0x8C4A10 & kScreenBits))
                ++highlighted;
    EXPECT_GT(highlighted, list->rect.Width() * 8);

    // The underlined link: a line in its text colour below its text.
    const sim::ControlInfo *link = Find(*r, kLinkId);
    bool underline = false;
    for (int y = link->rect.top; y < link->rect.bottom && !underline; ++y) {
        int run = 0;
        for (int x = link->rect.left; x < link->rect.right; ++x)
            run = (d.PixelAt(x, y) & kScreenBits) == (0x82828C & kScreenBits) ? run + 1 : 0,
            underline = underline || run >= 8;
    }
    EXPECT_TRUE(underline);
}

TEST(ControlsOnTheDevice, TheDriverWorksControlsAsAUserWouldAndReadsThemBack) {
    sim::Device d(NoShell());
    StartControlsDialog(d);
    std::string why;
    struct Case {
        const char *what;
        std::function<bool()> act;
        int id;
        std::string words;
    };
    const Case cases[] = {
        {"a check box toggles", [&] { return d.TapControl(u"Controls", kCheckId, &why); }, kCheckId,
         "checked"},
        {"a radio button takes the group's choice",
         [&] { return d.TapControl(u"Controls", kRadioOffId, &why); }, kRadioOnId, "unchecked"},
        {"the thumb is dragged to a position",
         [&] { return d.SlideTrackbar(u"Controls", kSpeedId, 60, &why); }, kSpeedId,
         "position 60 range 7 70"},
        {"and back to the minimum", [&] { return d.SlideTrackbar(u"Controls", kSpeedId, 7, &why); },
         kSpeedId, "position 7 range 7 70"},
        {"a row below the fold is scrolled to and chosen",
         [&] { return d.SelectRow(u"Controls", kListId, 4, &why); }, kListId,
         "rows 5 selected 4 columns 120 75"},
        {"a tab is chosen", [&] { return d.TapTab(u"Controls", kTabsId, 3, &why); }, kTabsId,
         "tabs 4 selected 3"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(c.act()) << why;
        EXPECT_EQ(c.words, WordsOf(d, c.id));
    }

    // What cannot be worked is refused with the reason.
    const struct {
        std::function<bool()> act;
        const char *why;
    } refusals[] = {
        {[&] { return d.TapControl(u"Nothing", 1, &why); }, "no window titled \"Nothing\""},
        {[&] { return d.TapControl(u"Controls", 999, &why); }, "no control 999 in \"Controls\""},
        {[&] { return d.SelectRow(u"Controls", kListId, 5, &why); }, "list view 1018 has no row 5"},
        {[&] { return d.SlideTrackbar(u"Controls", kListId, 5, &why); },
         "control 1018 is not a trackbar"},
        {[&] { return d.TapTab(u"Controls", kTabsId, 4, &why); }, "control 1001 has no tab 4"},
    };
    for (const auto &r : refusals) {
        why.clear();
        EXPECT_FALSE(r.act());
        EXPECT_EQ(r.why, why);
    }
}

TEST(ControlsOnTheDevice, KeysWorkTheFocusedControlThroughTheDialogManager) {
    sim::Device d(NoShell());
    StartControlsDialog(d);
    struct Case {
        const char *what;
        std::vector<int> keys;
        int id;
        std::string words;
    };
    const Case cases[] = {
        {"Enter clicks the focused push button", {VK_RETURN}, kCheckId, "checked"},
        {"Tab reaches the check box, space clears it",
         {VK_TAB, VK_TAB, VK_SPACE},
         kCheckId,
         "unchecked"},
        {"Tab reaches the trackbar, Right moves it a line",
         {VK_TAB, VK_RIGHT},
         kSpeedId,
         "position 20 range 7 70"},
        {"End moves it to the maximum", {VK_END}, kSpeedId, "position 70 range 7 70"},
        {"Tab reaches the list, Down chooses the first row",
         {VK_TAB, VK_DOWN},
         kListId,
         "rows 5 selected 0 columns 120 75"},
        {"and Down again the next", {VK_DOWN}, kListId, "rows 5 selected 1 columns 120 75"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        for (int vk : c.keys)
            HoldKey(d, vk, 50);
        d.Wait(10);
        EXPECT_EQ(c.words, WordsOf(d, c.id));
    }
}
