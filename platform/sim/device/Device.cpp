#include "device/Device.h"

#include "gdi/Gdi.h"
#include "kernel/FileSystem.h"
#include "shell/Browser.h"
#include "shell/DeviceShell.h"
#include "shell/HardwareButtons.h"
#include "shell/ShellState.h"
#include "shell/StandInPrograms.h"
#include "user/WindowManager.h"

#include <windows.h>

namespace sim {

Device::Device(DeviceConfig config) : config_(config) {
    kernel_.SetUpTimeAtZero(config.upTime);
    // The device's own programs are there from the start.
    kernel_.AddProgram(BrowserImage());
    kernel_.WriteProgramFile(kBrowserPath, BrowserImage().name);
    LayOutStandInPrograms(kernel_);
    WriteDefaultButtonTable(kernel_.registry());
    // The layers hear of ended threads and processes in the order they
    // stand in: windows first, then GDI objects.
    kernel_.onThreadEnded = [this](Thread *thread) {
        if (windows_)
            windows_->ThreadEnded(thread);
    };
    kernel_.onProcessEnded = [this](Process *process) {
        if (windows_)
            windows_->ProcessEnded(process);
        if (gdi_)
            gdi_->ProcessEnded(process);
    };
}

Device::~Device() {
    kernel_.onTrace = nullptr; // what the teardown ends is not an event of the session
    kernel_.Shutdown();
    kernel_.SetLayer(Layer::Shell, nullptr);
    kernel_.SetLayer(Layer::User, nullptr);
    kernel_.SetLayer(Layer::Gdi, nullptr);
    shell_.reset();
    windows_.reset();
    gdi_.reset();
}

void Device::Boot() {
    if (started_)
        return;
    started_ = true;
    kernel_.EnterAsDriver();
    gdi_ = std::make_unique<Gdi>(config_.width, config_.height, config_.dpi);
    kernel_.SetLayer(Layer::Gdi, gdi_.get());
    windows_ = std::make_unique<WindowManager>(kernel_, *gdi_);
    kernel_.SetLayer(Layer::User, windows_.get());
    shell_ = std::make_unique<ShellState>();
    kernel_.SetLayer(Layer::Shell, shell_.get());
    // The task bar's title and "ok", the soft keys and the input-panel
    // button follow the foreground window, whatever made it change.
    windows_->onForegroundChanged = [this] {
        if (Window *bar = windows_->FindTopmost(kTaskBarClass, nullptr))
            windows_->Post(bar, kShellChanged, 0, 0);
    };
    ApplyKeyboard();
    // The shell is the device's first process, as on a device; programs look
    // for its windows from their first moment.
    if (config_.shell) {
        StartDeviceShell(kernel_);
        kernel_.scheduler().RunUntil(Now());
    }
}

void Device::ApplyKeyboard() {
    if (!windows_)
        return;
    windows_->input.keysUnreadable = config_.keysUnreadable;
    windows_->input.repeatDelay = config_.repeatDelay;
    windows_->input.repeatPeriod = config_.repeatPeriod;
}

void Device::SetScreen(int width, int height, int dpi) {
    config_.width = width;
    config_.height = height;
    config_.dpi = dpi;
    if (!started_)
        return;
    kernel_.EnterAsDriver();
    gdi_->ResizeScreen(width, height, dpi);
    windows_->ScreenChanged();
}

void Device::SetKeysUnreadable(bool on) {
    config_.keysUnreadable = on;
    ApplyKeyboard();
}

void Device::SetKeyRepeat(int delay, int period) {
    config_.repeatDelay = delay;
    config_.repeatPeriod = period;
    ApplyKeyboard();
}

namespace {

// Deletes everything below a folder, deepest first; the folder stays.
void EmptyFolder(FileSystem &files, const std::u16string &folder) {
    std::vector<FsEntry> entries;
    if (files.List(folder, &entries) != FsStatus::Ok)
        return;
    for (const FsEntry &entry : entries) {
        std::u16string path = folder + u"\\" + entry.name;
        if (entry.directory)
            EmptyFolder(files, path);
        files.Delete(path);
    }
}

} // namespace

void Device::Reset() {
    Boot();
    kernel_.EnterAsDriver();
    for (const auto &p : kernel_.processes())
        if (!p->ended)
            kernel_.EndProcess(p.get(), 0);
    kernel_.scheduler().RunUntil(Now());
    scriptHost_ = 0;
    EmptyFolder(files(), u"\\Application Data\\Volatile");
    if (config_.shell) {
        StartDeviceShell(kernel_);
        kernel_.scheduler().RunUntil(Now());
    }
}

uint32_t Device::Start(const std::u16string &path) {
    Boot();
    uint32_t error = 0;
    Process *p = kernel_.CreateProcessFromFile(path, &error);
    return p ? p->pid : 0;
}

uint32_t Device::StartFunction(const std::u16string &path, std::function<uint32_t()> body,
                               const std::string &imageName) {
    Boot();
    return kernel_.StartFunction(path, std::move(body), imageName)->pid;
}

bool Device::IsProgram(const std::u16string &path, std::string *why) {
    FsEntry entry;
    FsStatus status = kernel_.files().Stat(path, &entry);
    if (status != FsStatus::Ok) {
        *why = status == FsStatus::PathNotFound ? "no such folder" : "no such file";
        return false;
    }
    if (entry.directory) {
        *why = "a folder, not a program";
        return false;
    }
    uint32_t error = 0;
    std::optional<std::string> name = kernel_.ImageNameOf(path, &error);
    if (!name || !kernel_.FindProgram(*name)) {
        *why = "not a program";
        return false;
    }
    return true;
}

void Device::Wait(uint64_t ms) {
    Boot();
    kernel_.EnterAsDriver();
    uint64_t end = Now() + ms;
    while (watchPeriod_ && Now() / watchPeriod_ < end / watchPeriod_) {
        kernel_.scheduler().RunUntil((Now() / watchPeriod_ + 1) * watchPeriod_);
        watch_();
    }
    kernel_.scheduler().RunUntil(end);
}

void Device::Watch(uint64_t period, std::function<void()> watch) {
    watchPeriod_ = watch ? period : 0;
    watch_ = std::move(watch);
}

std::vector<ProcessInfo> Device::Processes() const {
    std::vector<ProcessInfo> out;
    for (const auto &p : kernel_.processes())
        if (!p->ended)
            out.push_back(ProcessInfo{p->pid, p->path});
    return out;
}

bool Device::IsRunning(const std::u16string &path) const {
    return kernel_.IsRunning(path);
}

std::map<std::string, uint64_t> Device::Calls(uint32_t pid) const {
    std::map<std::string, uint64_t> byName;
    if (Process *p = FindProcess(pid))
        for (const auto &[name, count] : p->calls)
            byName[name] += count;
    return byName;
}

size_t Device::StackPeak(uint32_t pid) const {
    Process *p = FindProcess(pid);
    return p ? p->stackPeak : 0;
}

std::optional<uint32_t> Device::ExitCode(uint32_t pid) const {
    Process *p = FindProcess(pid);
    if (!p)
        return std::nullopt;
    return p->ended ? p->exitCode : STILL_ACTIVE;
}

} // namespace sim
