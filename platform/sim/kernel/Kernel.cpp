#include "kernel/Kernel.h"

#include "kernel/Calendar.h"
#include "kernel/FileSystem.h"
#include "kernel/Names.h"
#include "kernel/Registry.h"
#include "kernel/Utf8.h"

#include <windows.h>

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
Kernel &CurrentKernel() {
    return CurrentThread().kernel;
}
Process &CurrentProcess() {
    Thread &t = CurrentThread();
    if (!t.process)
        NotSimulated("a process-bound platform function");
    return *t.process;
}
Registry &CurrentRegistry() {
    return CurrentKernel().registry();
}
FileSystem &CurrentFiles() {
    return CurrentKernel().files();
}
HandleTable &CurrentHandles() {
    return CurrentKernel().handles();
}
uint64_t CurrentTime() {
    return CurrentKernel().Now();
}
uint64_t CurrentCalendar() {
    return CurrentKernel().CalendarNow();
}
void SetError(uint32_t error) {
    CurrentThread().lastError = error;
}
bool TakeFault(Fault fault, uint32_t *error) {
    return CurrentKernel().TakeFault(fault, error);
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
    thread->kernel.EndProcess(thread->process, kStatusStackOverflow);
    thread->exitCode = kStatusStackOverflow;
}

void OnThreadEnded(Thread *thread) {
    thread->kernel.ThreadEnded(thread);
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

std::string PrintedName(const std::u16string &name) {
    bool plain = !name.empty() && name.find_first_of(u" \t\"") == std::u16string::npos;
    return plain ? ToUtf8(name) : QuoteText(name);
}

std::string QuoteText(const std::u16string &text) {
    // A carriage return is part of the line break that \n stands for.
    std::u16string lines;
    for (char16_t c : text)
        if (c != u'\r')
            lines += c;
    std::string utf8 = ToUtf8(lines);
    std::string out = "\"";
    for (size_t i = 0; i < utf8.size(); ++i) {
        char c = utf8[i];
        if (c == '"') {
            out += "\\\"";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\\') {
            // Doubled only where a reader would take it for the start of an
            // escape: before a quote, an n, a backslash, a line break (which
            // is written with one), or at the end.
            char next = i + 1 < utf8.size() ? utf8[i + 1] : '\0';
            bool ambiguous =
                next == '\0' || next == '"' || next == 'n' || next == '\\' || next == '\n';
            out += ambiguous ? "\\\\" : "\\";
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// ------------------------------------------------------------ kernel

Kernel::Kernel()
    : calendarAtZero_(DefaultCalendarMs()), driver_(*this, nullptr, 0), scheduler_(&driver_),
      registry_(std::make_unique<Registry>()), files_(std::make_unique<FileSystem>()) {
    tCurrent = &driver_;
    files_->CreateDefaultTree(CalendarNow());
}

Kernel::~Kernel() {
    Shutdown();
    tCurrent = nullptr;
}

void Kernel::EnterAsDriver() {
    tCurrent = &driver_;
}

void Kernel::Shutdown() {
    tCurrent = &driver_;
    // End every process, let the threads unwind, then join their hosts.
    for (auto &p : processes_)
        if (!p->ended)
            EndProcess(p.get(), 0);
    scheduler_.RunUntil(scheduler_.Now());
    for (auto &t : threads_)
        JoinHostThread(t->host);
}

void Kernel::Record(const std::string &text) {
    trace_.push_back(TraceEvent{Now(), text});
    if (onTrace)
        onTrace(trace_.back());
}

void Kernel::FailNext(Fault fault, uint32_t error, uint32_t skip) {
    faults_[fault] = PendingFault{error, skip};
}

bool Kernel::RegistryWriteFails(const char16_t *valueName) const {
    if (registryWriteFault.all)
        return true;
    return valueName && registryWriteFault.name &&
           CompareNames(valueName, *registryWriteFault.name) == 0;
}

bool Kernel::TakeFault(Fault fault, uint32_t *error) {
    auto it = faults_.find(fault);
    if (it == faults_.end())
        return false;
    if (it->second.skip != 0) {
        --it->second.skip;
        return false;
    }
    *error = it->second.error;
    faults_.erase(it);
    return true;
}

// ------------------------------------------------------------ programs

void Kernel::AddProgram(const ProgramImage &image) {
    if (!FindProgram(image.name))
        programs_.push_back(image);
}

const ProgramImage *Kernel::FindProgram(const std::string &name) const {
    for (const ProgramImage &candidate : programs_)
        if (name == candidate.name)
            return &candidate;
    return nullptr;
}

bool Kernel::WriteProgramFile(const std::u16string &path, const std::string &imageName) {
    std::string text = std::string(kImageTag) + imageName + "\r\n";
    std::vector<uint8_t> bytes(text.begin(), text.end());
    return files_->CopyIn(path, bytes, CalendarNow()) == FsStatus::Ok;
}

// ------------------------------------------------------------ processes

Process *Kernel::FindProcess(uint32_t pid) const {
    for (const auto &p : processes_)
        if (p->pid == pid)
            return p.get();
    return nullptr;
}

bool Kernel::IsRunning(const std::u16string &path) const {
    for (const auto &p : processes_)
        if (!p->ended && CompareNames(p->path, path) == 0)
            return true;
    return false;
}

void Kernel::AddLibrary(const LibraryImage &image) {
    if (!FindLibrary(image.name))
        libraries_.push_back(image);
}

const LibraryImage *Kernel::FindLibrary(const std::string &name) const {
    for (const LibraryImage &candidate : libraries_)
        if (name == candidate.name)
            return &candidate;
    return nullptr;
}

std::optional<std::string> Kernel::ImageNameOf(const std::u16string &path, uint32_t *error) const {
    std::vector<uint8_t> bytes;
    FsStatus read = files_->ReadAll(path, &bytes);
    if (read != FsStatus::Ok) {
        *error = read == FsStatus::PathNotFound ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND;
        return std::nullopt;
    }
    std::string text(bytes.begin(), bytes.end());
    if (text.rfind(kImageTag, 0) != 0) {
        *error = ERROR_BAD_EXE_FORMAT;
        return std::nullopt;
    }
    std::string name = text.substr(sizeof(kImageTag) - 1);
    return name.substr(0, name.find_first_of("\r\n"));
}

Process *Kernel::CreateProcessFromFile(const std::u16string &path, uint32_t *error,
                                       const std::u16string &commandLine) {
    if (TakeFault(Fault::ProcessStart, error))
        return nullptr;
    if (processStartFault && CompareNames(path, *processStartFault) == 0) {
        *error = ERROR_FILE_NOT_FOUND;
        return nullptr;
    }
    std::optional<std::string> name = ImageNameOf(path, error);
    if (!name)
        return nullptr;
    const ProgramImage *image = FindProgram(*name);
    if (!image) {
        *error = ERROR_BAD_EXE_FORMAT;
        return nullptr;
    }
    return NewProcess(
        path, image,
        [image, commandLine] {
            Process &self = CurrentProcess();
            // The program may write into its command line, as it may on the platform.
            std::u16string line = commandLine;
            return static_cast<uint32_t>(
                image->entry(self.Instance(), nullptr, line.data(), SW_SHOW));
        },
        commandLine);
}

Process *Kernel::StartFunction(const std::u16string &path, std::function<uint32_t()> body,
                               const std::string &imageName) {
    return NewProcess(path, FindProgram(imageName), std::move(body));
}

Process *Kernel::NewProcess(const std::u16string &path, const ProgramImage *image,
                            std::function<uint32_t()> body, const std::u16string &commandLine) {
    auto process = std::make_shared<Process>(*this, nextPid_++, path, image);
    processes_.push_back(process);
    Process *p = process.get();
    Record("process start " + std::to_string(p->pid) + " " + QuoteText(path) +
           (commandLine.empty() ? "" : " " + QuoteText(commandLine)));
    // Returning from the entry function ends the process with its result.
    CreateThreadIn(p, [this, p, body = std::move(body)] {
        uint32_t code = body();
        EndProcess(p, code);
        return code;
    });
    return p;
}

Thread *Kernel::CreateThreadIn(Process *process, std::function<uint32_t()> body) {
    JoinEndedThreads();
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

void Kernel::EndProcess(Process *process, uint32_t code) {
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

void Kernel::ThreadEnded(Thread *thread) {
    Process *process = thread->process;
    if (onThreadEnded)
        onThreadEnded(thread);
    auto &live = process->threads;
    live.erase(std::find(live.begin(), live.end(), thread));
    // Waiters run once the baton has passed on from the ending thread.
    thread->state = Thread::State::Done;
    thread->signal->WakeWaiters();
    ended_.push_back(thread);
    if (live.empty())
        ReleaseProcess(process);
}

void Kernel::JoinEndedThreads() {
    // A host thread that has ended keeps its stack until it is joined; a
    // device that starts programs for days would otherwise gather them all.
    // The ending thread itself may be the caller, and is joined later.
    std::vector<Thread *> later;
    for (Thread *t : ended_) {
        if (t == tCurrent)
            later.push_back(t);
        else
            JoinHostThread(t->host);
    }
    ended_.swap(later);
}

void Kernel::ReleaseProcess(Process *process) {
    if (!process->ending)
        process->exitCode = 0;
    if (onProcessEnded)
        onProcessEnded(process);
    handles_.CloseAllOf(process);
    process->ended = true;
    process->WakeWaiters();
    Record("process exit " + std::to_string(process->pid) + " code " +
           std::to_string(process->exitCode));
}

// ------------------------------------------------------------ threads

Thread::Thread(Kernel &k, Process *p, uint32_t i) : kernel(k), process(p), id(i) {}
Thread::~Thread() = default;

Process::Process(Kernel &k, uint32_t id, std::u16string p, const ProgramImage *i)
    : kernel(k), pid(id), path(std::move(p)), image(i) {}

} // namespace sim
