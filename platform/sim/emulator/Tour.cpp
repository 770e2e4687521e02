// DeviceSim's emulator: the tour.
#include "emulator/Tour.h"

#include "device/Device.h"
#include "emulator/DeviceFrame.h"
#include "emulator/GifWriter.h"
#include "gdi/Gdi.h"
#include "gdi/PngWriter.h"
#include "runner/ScriptRunner.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <ostream>

namespace sim {

namespace {

constexpr uint64_t kFramePeriod = 100; // ms of device time between looks

class Film {
public:
    Film(const std::string &folder, std::ostream &log) : folder_(folder), log_(log) {}

    void Start(Device &device) {
        device_ = &device;
        device.Watch(kFramePeriod, [this] { Shoot(); });
    }

    void Line(const std::string &line) {
        size_t start = line.find_first_not_of(" \t");
        if (start != std::string::npos && line.compare(start, 2, "#:") == 0) {
            caption_ = line.substr(start + 2);
            caption_.erase(0, caption_.find_first_not_of(' '));
        }
        if (device_ && device_->started())
            Shoot();
    }

    // The last look, while the device is still there.
    void End() {
        if (device_ && device_->started())
            Shoot();
        if (device_)
            device_->Watch(0, nullptr);
        device_ = nullptr;
    }

    bool Write(std::string *why) { return gif_.Write(folder_ + "/tour.gif", why); }

    int Frames() const { return frames_; }

private:
    void Shoot() {
        uint64_t now = device_->Now();
        uint32_t shown = static_cast<uint32_t>(now - lastTime_);
        lastTime_ = now;
        std::u16string status = StatusText(now, caption_);
        const Bitmap &screen = device_->gdi().Screen();
        FrameLayout layout = LayoutFrame(screen.width, screen.height, 1);
        DrawFrame(picture_, layout, screen, {}, status);
        // The time since the last look belongs to the picture shown then.
        gif_.Extend(shown);
        if (!previous_.Empty() && SamePicture(previous_, picture_))
            return;
        std::string why;
        char name[32];
        std::snprintf(name, sizeof name, "/frame-%04d.png", ++frames_);
        if (!WritePng(picture_, folder_ + name, &why) || !gif_.Add(picture_, 0, &why))
            log_ << "tour: " << why << "\n";
        previous_ = picture_;
    }

    static bool SamePicture(const Bitmap &a, const Bitmap &b) {
        return a.width == b.width && a.height == b.height && a.bits == b.bits;
    }

    std::string folder_;
    std::ostream &log_;
    Device *device_ = nullptr;
    std::string caption_; // UTF-8
    Bitmap picture_, previous_;
    GifWriter gif_;
    uint64_t lastTime_ = 0;
    int frames_ = 0;
};

} // namespace

int RunTour(const std::string &scriptPath, const std::string &folder, std::ostream &log) {
    std::ifstream script(scriptPath);
    if (!script) {
        log << "tour: cannot read " << scriptPath << "\n";
        return kScriptError;
    }
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    for (const auto &entry : std::filesystem::directory_iterator(folder, error))
        if (entry.path().filename().string().rfind("frame-", 0) == 0)
            std::filesystem::remove(entry.path(), error);
    std::ofstream trace(folder + "/trace.txt");
    if (!trace) {
        log << "tour: cannot write into " << folder << "\n";
        return kScriptError;
    }
    Film film(folder, log);
    ScriptHooks hooks;
    hooks.begin = [&](Device &device) { film.Start(device); };
    hooks.line = [&](const std::string &line) { film.Line(line); };
    hooks.end = [&](Device &, int) { film.End(); };
    ScriptResult result = RunScript(script, trace, hooks);
    std::string why;
    if (!film.Write(&why)) {
        log << "tour: " << why << "\n";
        return kScriptError;
    }
    log << "tour: " << film.Frames() << " frames, " << folder << "/tour.gif, " << folder
        << "/trace.txt"
        << (result == kScriptDone ? "" : " (the script stopped early: see the trace)") << "\n";
    return result;
}

} // namespace sim
