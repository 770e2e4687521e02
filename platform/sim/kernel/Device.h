// DeviceSim: one simulated Pocket PC, and the face it shows to tests and
// tools (separate from the Windows-shaped face that programs call).
#pragma once

#include "gdi/Rect.h"
#include "kernel/Context.h"
#include "kernel/Handles.h"
#include "kernel/Process.h"
#include "kernel/Scheduler.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace sim {

class Registry;
class FileSystem;
class Gdi;
class WindowManager;
struct Window;

struct DeviceConfig {
    int width = 240;
    int height = 320;
    int dpi = 96;
    bool shell = true;
    bool keysUnreadable = false;
    int repeatDelay = 500; // 0: no auto-repeat
    int repeatPeriod = 100;
};

struct TraceEvent {
    uint64_t time;
    std::string text; // as a device script prints it, without the time
};

struct WindowInfo {
    std::u16string className;
    std::u16string title;
    Rect rect;
    bool visible;
    uint32_t pid;
    std::optional<Rect> shape; // bounds of the window region, window coordinates
};

struct ProcessInfo {
    uint32_t pid;
    std::u16string path;
};

// The programs this build can run, by image name (the content of an
// executable file names its image).
const std::vector<ProgramImage> &BuiltInImages();

class Device {
public:
    explicit Device(DeviceConfig config = {});
    ~Device();
    Device(const Device &) = delete;
    Device &operator=(const Device &) = delete;

    // ---- set-up, files and registry
    const DeviceConfig &Config() const { return config_; }
    // Before the device has started: sets the screen. Afterwards: changes it
    // as a rotation does and broadcasts WM_SETTINGCHANGE.
    void SetScreen(int width, int height, int dpi);
    // Whether the device shell runs; decided when the device starts.
    void SetShell(bool on) { config_.shell = on; }
    void SetKeysUnreadable(bool on) { config_.keysUnreadable = on; }
    void SetKeyRepeat(int delay, int period);
    Registry &registry() { return *registry_; }
    FileSystem &files() { return *files_; }
    // Lays out the package: programs, cursor images and the shortcut. False
    // when a file could not be written (a bad or over-long folder); what
    // could be written stays.
    bool Install(const std::u16string &folder = u"\\Program Files\\Pointrel");
    // Writes an executable file that runs the named built-in image.
    bool WriteProgramFile(const std::u16string &path, const std::string &imageName);

    // ---- actions
    // Starts a program as the shell would; returns its process id, or 0.
    uint32_t Start(const std::u16string &path);
    // Starts a process whose program is a function of the test itself, so
    // that platform calls can be made from inside the device.
    // With an image name, the process has that program's resources.
    uint32_t StartFunction(const std::u16string &path, std::function<uint32_t()> body,
                           const std::string &imageName = "");
    // Lets `ms` milliseconds of device time pass.
    void Wait(uint64_t ms);
    // A physical key goes down or up (auto-repeat while it is held).
    void Key(int vk, bool up);
    // The stylus touches, moves over or leaves the screen at a point.
    void StylusDown(int x, int y);
    void StylusMove(int x, int y);
    void StylusUp(int x, int y);
    // A window of another program that reports the input it receives (an
    // add-on home screen, a menu, a top-most application).
    bool CreateScriptWindow(const std::u16string &className, const std::u16string &title,
                            const Rect &rect, bool topmost);
    bool DestroyScriptWindow(const std::u16string &className);
    // Presses a button of the open message box with this title.
    bool Answer(const std::u16string &title, int buttonId);
    // Posts a message to the topmost window of a class, as another program.
    bool Post(const std::u16string &className, uint32_t msg, uintptr_t wParam, intptr_t lParam);
    // Messages whose parameters are pointers can be sent but never posted.
    static bool IsPostable(uint32_t msg);
    void FailNext(Fault fault, uint32_t error);

    // ---- answers
    uint64_t Now() const { return scheduler_.Now(); }
    std::optional<WindowInfo> FindTopmost(const std::u16string &className);
    std::vector<WindowInfo> TopLevelWindows();
    std::optional<WindowInfo> Foreground();
    std::vector<ProcessInfo> Processes() const;
    bool IsRunning(const std::u16string &path) const;
    // Exit code of an ended process (0x103 while it runs; nullopt if unknown).
    std::optional<uint32_t> ExitCode(uint32_t pid) const;
    // The platform calls a process has made so far, by function name.
    std::map<std::string, uint64_t> Calls(uint32_t pid) const;
    // The deepest stack a thread of the process has used at a platform call,
    // in host bytes (HostStackLimit() is where the device's stack ends).
    size_t StackPeak(uint32_t pid) const;
    // GDI objects and kernel handles a process holds now, to find leaks.
    size_t GdiObjectCount(uint32_t pid);
    size_t HandleCount(uint32_t pid);
    // The ids of the timers of the topmost window of a class.
    std::vector<uintptr_t> TimerIds(const std::u16string &className);
    uint32_t PixelAt(int x, int y); // COLORREF of the screen
    bool Screenshot(const std::string &hostPath, std::string *why);
    uint64_t HostSwitches() const { return scheduler_.Switches(); }

    // ---- events
    const std::vector<TraceEvent> &Trace() const { return trace_; }
    std::function<void(const TraceEvent &)> onTrace;
    void Record(const std::string &text);

    // ---- internals shared by the platform layers
    Scheduler &scheduler() { return scheduler_; }
    HandleTable &handles() { return handles_; }
    Gdi &gdi() { return *gdi_; }
    WindowManager &windows() { return *windows_; }
    Thread &driver() { return driver_; }
    bool started() const { return started_; }
    Process *FindProcess(uint32_t pid) const;
    // Creates a process for an executable of the device file system. Sets
    // the platform error and returns null when it cannot be started.
    Process *CreateProcessFromFile(const std::u16string &path, uint32_t *error);
    Thread *CreateThreadIn(Process *process, std::function<uint32_t()> body);
    // Ends a process: every thread unwinds; the last one releases the rest.
    void EndProcess(Process *process, uint32_t code);
    void ThreadEnded(Thread *thread);
    bool TakeFault(Fault fault, uint32_t *error);
    // Named kernel objects share one namespace on the device.
    std::map<std::u16string, std::weak_ptr<KernelObject>> names;
    // Case-insensitive key for the names map.
    static std::u16string NameKey(const std::u16string &name);

private:
    void Boot();
    // Starts the device shell (DeviceShell.cpp) and lets it put up its windows.
    void StartShell();
    Process *NewProcess(const std::u16string &path, const ProgramImage *image,
                        std::function<uint32_t()> body);
    void ReleaseProcess(Process *process);

    DeviceConfig config_;
    Thread driver_;
    Scheduler scheduler_;
    HandleTable handles_;
    std::unique_ptr<Registry> registry_;
    std::unique_ptr<FileSystem> files_;
    std::unique_ptr<Gdi> gdi_;
    std::unique_ptr<WindowManager> windows_;
    std::vector<std::unique_ptr<Thread>> threads_;
    std::vector<std::shared_ptr<Process>> processes_;
    std::map<Fault, uint32_t> faults_;
    std::vector<TraceEvent> trace_;
    uint32_t scriptHost_ = 0; // the process that owns the script's windows
    uint32_t nextPid_ = 1;
    uint32_t nextTid_ = 1;
    bool started_ = false;
};

// Narrow and widen plain ASCII/UTF-16 text for names and messages.
std::string Narrow(const std::u16string &s);
std::u16string Widen(const std::string &s);
// A text in double quotes as device scripts print it: \" for a quote, \n for
// a line break.
std::string QuoteText(const std::u16string &text);

} // namespace sim
