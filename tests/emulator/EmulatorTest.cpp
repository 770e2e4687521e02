// The emulator without a display: host input to device input, pacing, the
// picture's layout, the GIF and the tour, fed the same way the window feeds
// them.
#include "emulator/Emulator.h"
#include "emulator/DeviceFrame.h"
#include "emulator/GifWriter.h"
#include "emulator/Tour.h"
#include "support/Devices.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::string TempFolder(const std::string &name) {
    std::string path = testing::TempDir() + "emulator-" + name;
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
    return path;
}

// The centre of a drawn button, in the picture.
std::pair<int, int> CentreOf(const sim::FrameLayout &layout, int vk) {
    for (const sim::HardButton &b : layout.buttons)
        if (b.vk == vk)
            return {(b.area.left + b.area.right) / 2, (b.area.top + b.area.bottom) / 2};
    ADD_FAILURE() << "no button for key " << vk;
    return {0, 0};
}

} // namespace

TEST(Pacer, DeviceTimeFollowsTheHostClockButNeverRacesAfterAStall) {
    struct Case {
        const char *what;
        std::vector<uint64_t> host;
        std::vector<uint64_t> due;
    };
    const Case cases[] = {
        {"the first reading only starts the clock", {5000}, {0}},
        {"frames a few ms apart pass as many ms", {100, 116, 133, 150}, {0, 16, 17, 17}},
        {"a stall of seconds passes at most 250 ms", {0, 16, 5016, 5032}, {0, 16, 250, 16}},
        {"a clock that goes back starts again", {1000, 900, 950}, {0, 0, 50}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        sim::Pacer pacer;
        for (size_t i = 0; i < c.host.size(); ++i)
            EXPECT_EQ(c.due[i], pacer.Due(c.host[i])) << "reading " << i;
    }
}

TEST(DeviceFrame, ButtonsAndScreenNeitherOverlapNorLeaveThePicture) {
    for (int scale : {1, 2}) {
        for (auto [w, h] : {std::pair{240, 320}, std::pair{320, 240}, std::pair{480, 640}}) {
            SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + " scale " +
                         std::to_string(scale));
            sim::FrameLayout f = sim::LayoutFrame(w, h, scale);
            sim::Rect picture{0, 0, f.width, f.height};
            EXPECT_EQ(f.screen.Width(), w * scale);
            EXPECT_EQ(f.screen.Height(), h * scale);
            EXPECT_EQ(f.screen.Intersect(picture), f.screen);
            for (size_t i = 0; i < f.buttons.size(); ++i) {
                const sim::HardButton &b = f.buttons[i];
                SCOPED_TRACE(b.label);
                EXPECT_EQ(b.area.Intersect(picture), b.area);
                EXPECT_TRUE(b.area.Intersect(f.screen).Empty());
                EXPECT_TRUE(b.area.Intersect(f.status).Empty());
                for (size_t j = i + 1; j < f.buttons.size(); ++j)
                    EXPECT_TRUE(b.area.Intersect(f.buttons[j].area).Empty()) << f.buttons[j].label;
                auto [x, y] = CentreOf(f, b.vk);
                ASSERT_TRUE(sim::ButtonAt(f, x, y).has_value());
                EXPECT_EQ(b.vk, sim::ButtonAt(f, x, y)->vk);
            }
            // The screen's corners map to the device's corner pixels.
            EXPECT_EQ(sim::ScreenPointAt(f, f.screen.left, f.screen.top), std::make_pair(0, 0));
            EXPECT_EQ(sim::ScreenPointAt(f, f.screen.right - 1, f.screen.bottom - 1),
                      std::make_pair(w - 1, h - 1));
            EXPECT_FALSE(sim::ScreenPointAt(f, f.screen.right, f.screen.top).has_value());
        }
    }
}

TEST(Emulator, HostKeysAndTheMouseBecomeTheDevicesKeysAndStylus) {
    sim::Device d(test::NoShell());
    ASSERT_TRUE(d.CreateScriptWindow(u"Target", u"Target", sim::Rect{0, 0, 240, 320}, false));
    d.Wait(10);
    sim::Emulator emulator(d, 2);
    const sim::FrameLayout &f = emulator.Layout();
    using E = sim::HostEvent;
    using K = sim::HostKey;
    struct Step {
        E event;
        std::string event_text; // what the device's window reports, "" for nothing
        std::string status;
    };
    auto [appX, appY] = CentreOf(f, VK_APP3);
    const Step steps[] = {
        {{E::KeyDown, K::Right}, "window Target key down 0x27", "RIGHT down"},
        {{E::KeyDown, K::Right}, "", "RIGHT down"}, // a host's repeat is not a second press
        {{E::KeyUp, K::Right}, "window Target key up 0x27", "RIGHT up"},
        {{E::KeyUp, K::Right}, "", "RIGHT up"},
        {{E::KeyDown, K::App2}, "window Target key down 0xc2", "APP2 down"},
        {{E::KeyUp, K::App2}, "window Target key up 0xc2", "APP2 up"},
        {{E::MouseDown, K::Other, f.screen.left + 100, f.screen.top + 60},
         "window Target stylus down 50 30",
         "stylus down 50,30"},
        {{E::MouseMove, K::Other, f.screen.left + 101, f.screen.top + 61}, "", "stylus down 50,30"},
        {{E::MouseMove, K::Other, f.screen.left - 40, f.screen.top + 80},
         "window Target stylus move 0 40",
         "stylus move 0,40"},
        {{E::MouseUp, K::Other, f.screen.left - 40, f.screen.top + 80},
         "window Target stylus up 0 40",
         "stylus up 0,40"},
        {{E::MouseDown, K::Other, appX, appY}, "window Target key down 0xc3", "Button 3 down"},
        {{E::MouseUp, K::Other, 0, 0}, "window Target key up 0xc3", "Button 3 up"},
    };
    size_t seen = d.Trace().size();
    for (const Step &s : steps) {
        SCOPED_TRACE(s.status);
        EXPECT_TRUE(emulator.Handle(s.event));
        emulator.Advance(20);
        std::vector<std::string> texts;
        for (size_t i = seen; i < d.Trace().size(); ++i)
            texts.push_back(d.Trace()[i].text);
        seen = d.Trace().size();
        if (s.event_text.empty())
            EXPECT_TRUE(texts.empty()) << texts.front();
        else
            EXPECT_EQ(std::vector<std::string>{s.event_text}, texts);
        EXPECT_EQ(s.status, emulator.LastAction());
    }
    EXPECT_FALSE(emulator.Handle({E::KeyDown, K::Quit}));
}

TEST(Emulator, RotatingTurnsTheScreenAndTheScreenshotKeyWritesIt) {
    sim::Device d(test::NoShell());
    d.Wait(10);
    sim::Emulator emulator(d, 1);
    std::string folder = TempFolder("shots");
    emulator.SetScreenshotFolder(folder);
    emulator.Handle({sim::HostEvent::KeyDown, sim::HostKey::Rotate});
    EXPECT_EQ(320, d.Config().width);
    EXPECT_EQ(240, d.Config().height);
    EXPECT_EQ(320, emulator.Layout().screen.Width());
    EXPECT_EQ("rotated to 320 x 240", emulator.LastAction());
    const sim::Bitmap &picture = emulator.Picture();
    EXPECT_EQ(emulator.Layout().width, picture.width);
    emulator.Handle({sim::HostEvent::KeyDown, sim::HostKey::Screenshot});
    EXPECT_TRUE(std::filesystem::exists(folder + "/screenshot-1.png"));
    EXPECT_EQ("wrote " + folder + "/screenshot-1.png", emulator.LastAction());
}

TEST(Emulator, ThePictureShowsTheScreenAndAHeldButtonPressed) {
    sim::Device d(test::NoShell());
    d.Wait(10);
    sim::Emulator emulator(d, 2);
    const sim::FrameLayout &f = emulator.Layout();
    auto [x, y] = CentreOf(f, VK_APP1);
    uint32_t before = emulator.Picture().GetPixel(x - 8, y);
    emulator.Handle({sim::HostEvent::KeyDown, sim::HostKey::App1});
    uint32_t pressed = emulator.Picture().GetPixel(x - 8, y);
    EXPECT_NE(before, pressed);
    // Each screen pixel shows as a 2 x 2 block of its colour.
    uint32_t desktop = d.PixelAt(5, 5);
    for (int dy : {0, 1})
        for (int dx : {0, 1})
            EXPECT_EQ(desktop,
                      emulator.Picture().GetPixel(f.screen.left + 10 + dx, f.screen.top + 10 + dy));
}

TEST(GifWriter, StoresChangedFramesWithTheirTimesAndLoopsForever) {
    sim::Bitmap a, b;
    a.Create(40, 30, 32, true);
    b.Create(40, 30, 32, true);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            a.SetPixel(x, y, sim::MakeColorRef(uint8_t(x * 6), uint8_t(y * 8), 200));
            b.SetPixel(x, y, a.GetPixel(x, y));
        }
    b.SetPixel(10, 12, sim::MakeColorRef(255, 0, 0));
    b.SetPixel(20, 15, sim::MakeColorRef(255, 0, 0));
    sim::GifWriter gif;
    std::string why;
    ASSERT_TRUE(gif.Add(a, 300, &why)) << why;
    ASSERT_TRUE(gif.Add(a, 200, &why)) << why; // the same picture lengthens the first
    ASSERT_TRUE(gif.Add(b, 500, &why)) << why;
    EXPECT_EQ(2u, gif.Frames());
    sim::Bitmap other;
    other.Create(10, 10, 32, true);
    EXPECT_FALSE(gif.Add(other, 100, &why));
    std::string path = TempFolder("gif") + "/a.gif";
    ASSERT_TRUE(gif.Write(path, &why)) << why;

    int error = 0;
    GifFileType *read = DGifOpenFileName(path.c_str(), &error);
    ASSERT_NE(nullptr, read);
    ASSERT_EQ(GIF_OK, DGifSlurp(read));
    ASSERT_EQ(2, read->ImageCount);
    EXPECT_EQ(40, read->SWidth);
    GraphicsControlBlock gcb;
    DGifSavedExtensionToGCB(read, 0, &gcb);
    EXPECT_EQ(50, gcb.DelayTime);
    DGifSavedExtensionToGCB(read, 1, &gcb);
    EXPECT_EQ(50, gcb.DelayTime);
    // The second frame is only the rectangle that changed.
    const GifImageDesc &second = read->SavedImages[1].ImageDesc;
    EXPECT_EQ(10, second.Left);
    EXPECT_EQ(12, second.Top);
    EXPECT_EQ(11, second.Width);
    EXPECT_EQ(4, second.Height);
    DGifCloseFile(read, &error);

    EXPECT_FALSE(sim::GifWriter().Write(path, &why));
    EXPECT_EQ("no frames", why);
}

TEST(Tour, FilmsAScriptIntoFramesAGifAndTheTrace) {
    std::string folder = TempFolder("tour");
    std::string script = folder + "/tour.script";
    std::ofstream(script)
        << "#: Today\nwait 300\ninstall\nstart \"\\Program Files\\Pointrel\\Pointrel.exe\"\n"
           "#: Moving\nkey down RIGHT\nwait 600\nkey up RIGHT\nwait 200\n";
    std::ostringstream log;
    EXPECT_EQ(0, sim::RunTour(script, folder, log));
    EXPECT_TRUE(std::filesystem::exists(folder + "/frame-0001.png"));
    EXPECT_TRUE(std::filesystem::exists(folder + "/tour.gif"));
    std::ifstream trace(folder + "/trace.txt");
    std::string first;
    std::getline(trace, first);
    EXPECT_EQ("T=0 process start 1 \"\\Windows\\shell32.exe\"", first);
    int frames = 0;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        frames += entry.path().filename().string().rfind("frame-", 0) == 0;
    // The cursor moves in most of the 100 ms looks while the key is held.
    EXPECT_GE(frames, 6);
    EXPECT_EQ("tour: " + std::to_string(frames) + " frames, " + folder + "/tour.gif, " + folder +
                  "/trace.txt\n",
              log.str());

    // A script that stops early still leaves its film, and says so.
    std::ofstream(script) << "wait 100\nexpect running \\nothing.exe\n";
    std::ostringstream failed;
    EXPECT_EQ(1, sim::RunTour(script, folder, failed));
    EXPECT_NE(std::string::npos, failed.str().find("the script stopped early"));
    EXPECT_TRUE(std::filesystem::exists(folder + "/tour.gif"));
}

TEST(Tour, TheToursScriptRunsToItsEnd) {
    std::string folder = TempFolder("real-tour");
    std::ostringstream log;
    EXPECT_EQ(0,
              sim::RunTour(std::string(POINTREL_SOURCE_DIR) + "/examples/tour.script", folder, log))
        << log.str();
}

TEST(Emulator, TheResetKeyEndsEveryProgramWithNoKeyLeftHeld) {
    sim::Device d;
    sim::InstallPackage(d);
    test::StartCursor(d);
    sim::Emulator emulator(d, 1);
    emulator.Handle({sim::HostEvent::KeyDown, sim::HostKey::Left});
    emulator.Advance(200);
    emulator.Handle({sim::HostEvent::KeyDown, sim::HostKey::Reset});
    EXPECT_EQ("soft reset", emulator.LastAction());
    emulator.Advance(500);
    EXPECT_FALSE(d.IsRunning(test::kPointrel));
    EXPECT_TRUE(d.IsRunning(u"\\Windows\\shell32.exe"));
    // The Left key came up before the reset; releasing it again does nothing.
    emulator.Handle({sim::HostEvent::KeyUp, sim::HostKey::Left});
    EXPECT_EQ("soft reset", emulator.LastAction());
}
