#include "kernel/Device.h"

#include "gdi/Gdi.h"
#include "kernel/FileSystem.h"
#include "kernel/Names.h"
#include "kernel/Registry.h"
#include "user/WindowManager.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>

namespace sim {

namespace {

// The simulated thread that runs on this host thread (the driver's thread
// for the host thread that owns the device while it calls in).
thread_local Thread *tCurrent = nullptr;

const char kImageTag[] = "DeviceSim program image: ";

[[noreturn]] void NotSimulated(const char *what) {
    std::fprintf(stderr, "DeviceSim: %s called outside a simulated thread\n", what);
    std::abort();
}

} // namespace

// ------------------------------------------------------------ context

Thread &CurrentThread() {
    if (!tCurrent)
        NotSimulated("a platform function");
    return *tCurrent;
}
Device &CurrentDevice() {
    return CurrentThread().device;
}
Process &CurrentProcess() {
    Thread &t = CurrentThread();
    if (!t.process)
        NotSimulated("a process-bound platform function");
    return *t.process;
}
Registry &CurrentRegistry() {
    return CurrentDevice().registry();
}
FileSystem &CurrentFiles() {
    return CurrentDevice().files();
}
HandleTable &CurrentHandles() {
    return CurrentDevice().handles();
}
Gdi &CurrentGdi() {
    return CurrentDevice().gdi();
}
uint64_t CurrentTime() {
    return CurrentDevice().Now();
}
void SetError(uint32_t error) {
    CurrentThread().lastError = error;
}
bool TakeFault(Fault fault, uint32_t *error) {
    return CurrentDevice().TakeFault(fault, error);
}

void CountCall(const char *name) {
    Thread *t = tCurrent;
    if (!t || !t->process)
        return;
    ++t->process->calls[name];
    // Every platform call is where a runaway recursion is caught: the process
    // ends as the platform ends it on an unhandled stack overflow. Once the
    // thread unwinds, its destructors may call the platform again.
    size_t depth = StackInUse(t->host);
    t->process->stackPeak = std::max(t->process->stackPeak, depth);
    if (depth > HostStackLimit() && std::uncaught_exceptions() == 0) {
        OnStackOverflow(t);
        throw ThreadTerminated{};
    }
}

void OnStackOverflow(Thread *thread) {
    thread->device.EndProcess(thread->process, kStatusStackOverflow);
    thread->exitCode = kStatusStackOverflow;
}

void OnThreadEnded(Thread *thread) {
    thread->device.ThreadEnded(thread);
}

std::string Narrow(const std::u16string &s) {
    std::string out;
    for (char16_t c : s)
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

std::u16string Widen(const std::string &s) {
    std::u16string out;
    for (unsigned char c : s)
        out += static_cast<char16_t>(c);
    return out;
}

std::string QuoteText(const std::u16string &text) {
    std::string out = "\"";
    for (char c : Narrow(text)) {
        if (c == '"')
            out += "\\\"";
        else if (c == '\n')
            out += "\\n";
        else if (c != '\r')
            out += c;
    }
    return out + "\"";
}

std::u16string Device::NameKey(const std::u16string &name) {
    std::u16string key = name;
    for (char16_t &c : key)
        c = FoldCase(c);
    return key;
}

// ------------------------------------------------------------ device

Device::Device(DeviceConfig config)
    : config_(config), driver_(*this, nullptr, 0), scheduler_(&driver_),
      registry_(std::make_unique<Registry>()), files_(std::make_unique<FileSystem>()) {
    tCurrent = &driver_;
    files_->CreateDefaultTree(0);
}

Device::~Device() {
    tCurrent = &driver_;
    onTrace = nullptr; // what the teardown ends is not an event of the session
    // End every process, let the threads unwind, then join their hosts.
    for (auto &p : processes_)
        if (!p->ended)
            EndProcess(p.get(), 0);
    scheduler_.RunUntil(scheduler_.Now());
    for (auto &t : threads_)
        JoinHostThread(t->host);
    windows_.reset();
    gdi_.reset();
    tCurrent = nullptr;
}

void Device::Boot() {
    if (started_)
        return;
    started_ = true;
    tCurrent = &driver_;
    gdi_ = std::make_unique<Gdi>(config_.width, config_.height, config_.dpi);
    windows_ = std::make_unique<WindowManager>(*this);
    // The shell is the device's first process, as on a device.
    if (config_.shell)
        StartShell();
}

void Device::SetScreen(int width, int height, int dpi) {
    config_.width = width;
    config_.height = height;
    config_.dpi = dpi;
    if (!started_)
        return;
    tCurrent = &driver_;
    gdi_->ResizeScreen(width, height, dpi);
    windows_->ScreenChanged();
}

void Device::SetKeyRepeat(int delay, int period) {
    config_.repeatDelay = delay;
    config_.repeatPeriod = period;
}

void Device::Record(const std::string &text) {
    trace_.push_back(TraceEvent{Now(), text});
    if (onTrace)
        onTrace(trace_.back());
}

void Device::FailNext(Fault fault, uint32_t error) {
    faults_[fault] = error;
}

bool Device::TakeFault(Fault fault, uint32_t *error) {
    auto it = faults_.find(fault);
    if (it == faults_.end())
        return false;
    *error = it->second;
    faults_.erase(it);
    return true;
}

bool Device::WriteProgramFile(const std::u16string &path, const std::string &imageName) {
    std::string text = std::string(kImageTag) + imageName + "\r\n";
    std::vector<uint8_t> bytes(text.begin(), text.end());
    return files_->CopyIn(path, bytes, Now()) == FsStatus::Ok;
}

// ------------------------------------------------------------ processes

Process *Device::FindProcess(uint32_t pid) const {
    for (const auto &p : processes_)
        if (p->pid == pid)
            return p.get();
    return nullptr;
}

Process *Device::CreateProcessFromFile(const std::u16string &path, uint32_t *error) {
    Boot();
    if (TakeFault(Fault::ProcessStart, error))
        return nullptr;
    std::vector<uint8_t> bytes;
    FsStatus read = files_->ReadAll(path, &bytes);
    if (read != FsStatus::Ok) {
        *error = read == FsStatus::PathNotFound ? 3 : 2; // ERROR_PATH_NOT_FOUND, _FILE_NOT_FOUND
        return nullptr;
    }
    std::string text(bytes.begin(), bytes.end());
    const ProgramImage *image = nullptr;
    if (text.rfind(kImageTag, 0) == 0) {
        std::string name = text.substr(sizeof(kImageTag) - 1);
        name = name.substr(0, name.find_first_of("\r\n"));
        for (const ProgramImage &candidate : BuiltInImages())
            if (name == candidate.name)
                image = &candidate;
    }
    if (!image) {
        *error = 193; // ERROR_BAD_EXE_FORMAT
        return nullptr;
    }
    return NewProcess(path, image, [image] {
        Process &self = CurrentProcess();
        return static_cast<uint32_t>(
            image->entry(self.Instance(), nullptr, const_cast<char16_t *>(u""), 5));
    });
}

Process *Device::NewProcess(const std::u16string &path, const ProgramImage *image,
                            std::function<uint32_t()> body) {
    auto process = std::make_shared<Process>(*this, nextPid_++, path, image);
    processes_.push_back(process);
    Process *p = process.get();
    Record("process start " + std::to_string(p->pid) + " " + QuoteText(path));
    // Returning from the entry function ends the process with its result.
    CreateThreadIn(p, [this, p, body = std::move(body)] {
        uint32_t code = body();
        EndProcess(p, code);
        return code;
    });
    return p;
}

uint32_t Device::StartFunction(const std::u16string &path, std::function<uint32_t()> body,
                               const std::string &imageName) {
    Boot();
    const ProgramImage *image = nullptr;
    for (const ProgramImage &candidate : BuiltInImages())
        if (imageName == candidate.name)
            image = &candidate;
    return NewProcess(path, image, std::move(body))->pid;
}

Thread *Device::CreateThreadIn(Process *process, std::function<uint32_t()> body) {
    threads_.push_back(std::make_unique<Thread>(*this, process, nextTid_++));
    Thread *t = threads_.back().get();
    t->signal = std::make_shared<ThreadSignal>(t);
    t->body = [t, body = std::move(body)] {
        tCurrent = t;
        return body();
    };
    process->threads.push_back(t);
    scheduler_.Wake(t);
    return t;
}

void Device::EndProcess(Process *process, uint32_t code) {
    if (process->ending)
        return;
    process->ending = true;
    process->exitCode = code;
    Thread *self = tCurrent;
    for (Thread *t : process->threads) {
        t->terminating = t != self || t->terminating;
        if (t != self)
            scheduler_.Wake(t);
    }
}

void Device::ThreadEnded(Thread *thread) {
    Process *process = thread->process;
    if (windows_)
        windows_->ThreadEnded(thread);
    auto &live = process->threads;
    live.erase(std::find(live.begin(), live.end(), thread));
    // Waiters run once the baton has passed on from the ending thread.
    thread->state = Thread::State::Done;
    thread->signal->WakeWaiters();
    if (live.empty())
        ReleaseProcess(process);
}

void Device::ReleaseProcess(Process *process) {
    if (!process->ending)
        process->exitCode = 0;
    if (windows_)
        windows_->ProcessEnded(process);
    if (gdi_)
        gdi_->ProcessEnded(process);
    handles_.CloseAllOf(process);
    process->ended = true;
    process->WakeWaiters();
    Record("process exit " + std::to_string(process->pid) + " code " +
           std::to_string(process->exitCode));
}

uint32_t Device::Start(const std::u16string &path) {
    Boot();
    uint32_t error = 0;
    Process *p = CreateProcessFromFile(path, &error);
    return p ? p->pid : 0;
}

void Device::Wait(uint64_t ms) {
    Boot();
    tCurrent = &driver_;
    scheduler_.RunUntil(Now() + ms);
}

std::vector<ProcessInfo> Device::Processes() const {
    std::vector<ProcessInfo> out;
    for (const auto &p : processes_)
        if (!p->ended)
            out.push_back(ProcessInfo{p->pid, p->path});
    return out;
}

bool Device::IsRunning(const std::u16string &path) const {
    for (const auto &p : processes_)
        if (!p->ended && NameKey(p->path) == NameKey(path))
            return true;
    return false;
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
    return p->ended ? p->exitCode : 0x103;
}

// ------------------------------------------------------------ threads

Thread::Thread(Device &d, Process *p, uint32_t i) : device(d), process(p), id(i) {}
Thread::~Thread() = default;

Process::Process(Device &d, uint32_t id, std::u16string p, const ProgramImage *i)
    : device(d), pid(id), path(std::move(p)), image(i) {}

} // namespace sim
