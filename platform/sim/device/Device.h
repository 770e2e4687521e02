// DeviceSim: one simulated Pocket PC as a whole — its kernel, GDI, window
// manager and shell put together and booted — and the face it shows to tests
// and tools (separate from the Windows-shaped face that programs call).
#pragma once

#include "gdi/Rect.h"
#include "kernel/Kernel.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace sim {

class Gdi;
class WindowManager;
struct Window;
struct ShellState;

struct DeviceConfig {
    int width = 240;
    int height = 320;
    int dpi = 96;
    bool shell = true;
    bool keysUnreadable = false;
    int repeatDelay = 500; // 0: no auto-repeat
    int repeatPeriod = 100;
    // How long the device has been on when the session begins, in ms: where
    // GetTickCount starts (it wraps after 2^32 ms, 49.7 days of uptime).
    uint64_t upTime = 0;
};

struct WindowInfo {
    std::u16string className;
    std::u16string title;
    Rect rect;
    bool visible;
    uint32_t pid;
    std::optional<Rect> shape; // bounds of the window region, window coordinates
};

// A window inside a top-level window, as `print dialog` shows it.
struct ControlInfo {
    int id;
    std::u16string className;
    std::u16string text;
    Rect rect;    // screen coordinates
    bool visible; // the window and all its parents
    bool enabled;
    bool focus;
    std::string words;              // by kind: checked, position, rows, tabs ...
    std::vector<std::string> lines; // by kind: the rows of a list, the tabs
};

struct DialogReport {
    WindowInfo dialog;
    std::vector<ControlInfo> controls; // depth first, in creation order
};

struct ProcessInfo {
    uint32_t pid;
    std::u16string path;
};

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
    void SetKeysUnreadable(bool on);
    void SetKeyRepeat(int delay, int period);
    Registry &registry() { return kernel_.registry(); }
    FileSystem &files() { return kernel_.files(); }
    // Makes a program runnable (the package adds its programs this way).
    void AddProgram(const ProgramImage &image) { kernel_.AddProgram(image); }
    // Writes an executable file that runs the named program.
    bool WriteProgramFile(const std::u16string &path, const std::string &imageName) {
        return kernel_.WriteProgramFile(path, imageName);
    }

    // ---- actions
    // Starts a program as the shell would; returns its process id, or 0.
    uint32_t Start(const std::u16string &path);
    // Whether `path` names a program of the device; if not, why not ("no
    // such file", "a folder", "not a program").
    bool IsProgram(const std::u16string &path, std::string *why);
    // Starts a process whose program is a function of the test itself, so
    // that platform calls can be made from inside the device.
    // With an image name, the process has that program's resources.
    uint32_t StartFunction(const std::u16string &path, std::function<uint32_t()> body,
                           const std::string &imageName = "");
    // Lets `ms` milliseconds of device time pass.
    void Wait(uint64_t ms);
    // Calls `watch` each time device time passing in Wait reaches a multiple
    // of `period` ms, with everything due by then done (the tour's frames).
    // A period of 0 stops it. Watching changes nothing on the device.
    void Watch(uint64_t period, std::function<void()> watch);
    // A physical key goes down or up (auto-repeat while it is held).
    void Key(int vk, bool up);
    // The stylus touches, moves over or leaves the screen at a point.
    void StylusDown(int x, int y);
    void StylusMove(int x, int y);
    void StylusUp(int x, int y);
    // A window of another program that reports the input it receives (an
    // add-on home screen, a menu, a top-most application).
    // With `noclose` it ignores WM_CLOSE (a program that hangs); every
    // WM_CLOSE it receives is an event either way.
    bool CreateScriptWindow(const std::u16string &className, const std::u16string &title,
                            const Rect &rect, bool topmost, bool noclose = false);
    bool DestroyScriptWindow(const std::u16string &className);
    // ---- the shell as a user works it (each tap is a press and, 100 ms
    // later, the release)
    // The labels of the soft keys, left and right ("" for none, and both ""
    // without the shell).
    std::array<std::u16string, 2> SoftKeyLabels();
    // Taps soft key 0 (left) or 1 (right); false without the shell.
    bool TapSoftKey(int key);
    // The items of the open pop-up menu ("-" a separator), or nullopt.
    std::optional<std::vector<std::u16string>> OpenMenuItems();
    // Taps the item with this text in the open pop-up menu.
    bool TapMenuItem(const std::u16string &text);
    // Taps the "ok" that the task bar shows for the foreground dialog.
    bool TapOk();
    // Presses a button of the open message box with this title.
    bool Answer(const std::u16string &title, int buttonId);
    // The controls of the top-level window titled `title`, worked as a
    // user works them with the stylus: false, with the reason in *why, when
    // there is no such window or control, or the control is hidden, wholly
    // covered or of another kind. When several controls have the id, the
    // visible one is meant. Each runs until the control has answered.
    // A tap where a user would aim: the centre of the largest uncovered part.
    bool TapControl(const std::u16string &title, int id, std::string *why);
    // A tap on row `row` of a list view (scrolled into view first).
    bool SelectRow(const std::u16string &title, int id, int row, std::string *why);
    // A drag of a trackbar's thumb from where it stands to `position`.
    bool SlideTrackbar(const std::u16string &title, int id, int position, std::string *why);
    // A tap on tab `tab` of a tab control.
    bool TapTab(const std::u16string &title, int id, int tab, std::string *why);
    std::optional<DialogReport> DescribeDialog(const std::u16string &title);
    // Posts a message to the topmost window of a class, as another program.
    bool Post(const std::u16string &className, uint32_t msg, uintptr_t wParam, intptr_t lParam);
    // Messages whose parameters are pointers can be sent but never posted.
    static bool IsPostable(uint32_t msg);
    // The next such operation fails with `error`, after `skip` that succeed.
    void FailNext(Fault fault, uint32_t error, uint32_t skip = 0) {
        kernel_.FailNext(fault, error, skip);
    }
    // Until lifted, writes of the value `name` ("" the default value) in any
    // key fail with ERROR_ACCESS_DENIED; FailRegistryWrites(nullopt, true)
    // fails every write, FailRegistryWrites(nullopt, false) lifts it.
    void FailRegistryWrites(const std::optional<std::u16string> &name, bool all = false) {
        kernel_.registryWriteFault = Kernel::RegistryWriteFault{all, name};
    }
    // Until lifted (nullopt), starting this program fails as for a missing file.
    void FailProcessStart(const std::optional<std::u16string> &path) {
        kernel_.processStartFault = path;
    }
    // The platform version GetVersionExW reports (default 5.2).
    void SetOsVersion(uint32_t major, uint32_t minor) {
        kernel_.osMajor = major;
        kernel_.osMinor = minor;
    }
    // A soft reset: every process ends, \Application Data\Volatile is
    // emptied, the registry and the other files stay, the shell starts again.
    void Reset();

    // ---- answers
    uint64_t Now() const { return kernel_.Now(); }
    // The calendar (UTC), in milliseconds since 1601-01-01.
    uint64_t CalendarNow() const { return kernel_.CalendarNow(); }
    void SetCalendar(uint64_t ms) { kernel_.SetCalendar(ms); }
    // What GetTickCount answers now.
    uint32_t TickCount() const { return kernel_.TickCount(); }
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
    uint64_t HostSwitches() { return kernel_.scheduler().Switches(); }

    // ---- events
    const std::vector<TraceEvent> &Trace() const { return kernel_.Trace(); }
    // Hears every event as it is recorded.
    void OnTrace(std::function<void(const TraceEvent &)> listener) {
        kernel_.onTrace = std::move(listener);
    }
    void Record(const std::string &text) { kernel_.Record(text); }

    // ---- the parts, for the layers on top (package, runner, emulator)
    Kernel &kernel() { return kernel_; }
    WindowManager &windows() { return *windows_; }
    Gdi &gdi() { return *gdi_; }
    bool started() const { return started_; }

private:
    void Boot();
    // Taps the uncovered middle of `area` (screen coordinates) of the
    // control `w`, as a user aims; `what` names it when it is covered.
    bool TapInside(Window *w, const Rect &area, const std::string &what, std::string *why);
    // Hands the keyboard's settings to the window manager once it exists.
    void ApplyKeyboard();
    Process *FindProcess(uint32_t pid) const { return kernel_.FindProcess(pid); }

    DeviceConfig config_;
    Kernel kernel_;
    std::unique_ptr<Gdi> gdi_;
    std::unique_ptr<WindowManager> windows_;
    std::unique_ptr<ShellState> shell_;
    uint32_t scriptHost_ = 0; // the process that owns the script's windows
    uint64_t watchPeriod_ = 0;
    std::function<void()> watch_;
    bool started_ = false;
};

} // namespace sim
