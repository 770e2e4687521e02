// DeviceSim: the kernel of one simulated device — its clock and scheduler,
// processes and threads, kernel objects and their names, the registry, the
// file system, the programs it can run, faults on demand, and the trace of
// what programs did that a user or a tool could see.
//
// The layers above (GDI, the window manager, the shell) keep their own state
// per device; they hang it on the kernel (SetLayer) so that a platform call
// finds it from the calling thread, and they hear of ended threads and
// processes through the two hooks.
#pragma once

#include "kernel/Context.h"
#include "kernel/Handles.h"
#include "kernel/Process.h"
#include "kernel/Scheduler.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace sim {

class Registry;
class FileSystem;

struct TraceEvent {
    uint64_t time;
    std::string text; // as a device script prints it, without the time
};

// The state of a layer above the kernel, by layer.
enum class Layer { Gdi, User, Shell, Count };

class Kernel {
public:
    Kernel();
    ~Kernel();
    Kernel(const Kernel &) = delete;
    Kernel &operator=(const Kernel &) = delete;

    uint64_t Now() const { return scheduler_.Now(); }
    // The calendar (UTC) in milliseconds since 1601-01-01; it runs with the
    // virtual clock. File times are taken from it.
    uint64_t CalendarNow() const { return calendarAtZero_ + Now(); }
    // Sets the calendar to `ms` now; it runs on from there.
    void SetCalendar(uint64_t ms) { calendarAtZero_ = ms - Now(); }
    // How long the device had been on when virtual time 0 came, in ms: a
    // device can have run for weeks before a session looks at it.
    void SetUpTimeAtZero(uint64_t ms) { upTimeAtZero_ = ms; }
    // Milliseconds since the device was switched on, as GetTickCount and a
    // message's time give them: a DWORD, so it wraps to 0 after 2^32 ms
    // (49.7 days) while the clock and every timer run on.
    uint32_t TickCount() const { return static_cast<uint32_t>(upTimeAtZero_ + Now()); }
    Scheduler &scheduler() { return scheduler_; }
    HandleTable &handles() { return handles_; }
    Registry &registry() { return *registry_; }
    FileSystem &files() { return *files_; }
    // The thread of whoever drives the device (a test, a script, a tool).
    Thread &driver() { return driver_; }
    // Makes the driver the current thread of the calling host thread.
    void EnterAsDriver();

    // ---- programs
    // Makes a program runnable by its image name.
    void AddProgram(const ProgramImage &image);
    const ProgramImage *FindProgram(const std::string &name) const;
    // Writes an executable file that runs the named program (or a library
    // file of the named library: both are images by name).
    bool WriteProgramFile(const std::u16string &path, const std::string &imageName);
    // Makes a library loadable by its image name.
    void AddLibrary(const LibraryImage &image);
    const LibraryImage *FindLibrary(const std::string &name) const;
    // The image name an executable or library file stands for; nullopt with
    // the platform's error when the file is missing or is no image.
    std::optional<std::string> ImageNameOf(const std::u16string &path, uint32_t *error) const;

    // ---- processes and threads
    // A process for an executable of the file system, or null with the
    // platform's error in *error.
    // The command line, when not empty, reaches the program's entry and the
    // process's start event.
    Process *CreateProcessFromFile(const std::u16string &path, uint32_t *error,
                                   const std::u16string &commandLine = u"");
    // A process whose program is a function (the shell, a test's probe).
    // With an image name, the process has that program's resources.
    Process *StartFunction(const std::u16string &path, std::function<uint32_t()> body,
                           const std::string &imageName = "");
    Thread *CreateThreadIn(Process *process, std::function<uint32_t()> body);
    // Ends a process: every thread unwinds; the last one releases the rest.
    void EndProcess(Process *process, uint32_t code);
    // Ends every process and joins every host thread.
    void Shutdown();
    Process *FindProcess(uint32_t pid) const;
    const std::vector<std::shared_ptr<Process>> &processes() const { return processes_; }
    bool IsRunning(const std::u16string &path) const;

    // Heard by the layers above, in this order, on the ending thread.
    std::function<void(Thread *)> onThreadEnded;
    std::function<void(Process *)> onProcessEnded;

    // ---- the layers above
    void SetLayer(Layer layer, void *state) { layers_[static_cast<int>(layer)] = state; }
    void *GetLayer(Layer layer) const { return layers_[static_cast<int>(layer)]; }

    // ---- named kernel objects share one namespace on the device
    std::map<std::u16string, std::weak_ptr<KernelObject>> names;

    // ---- faults on demand
    // The next such operation fails with `error`; with `skip`, that many
    // succeed first (to fail each operation of a run in turn).
    void FailNext(Fault fault, uint32_t error, uint32_t skip = 0);
    bool TakeFault(Fault fault, uint32_t *error);
    // Faults that last until lifted. Registry writes: of every value and key
    // (`all`), or of the values of one name in any key ("" the default value).
    struct RegistryWriteFault {
        bool all = false;
        std::optional<std::u16string> name;
    };
    RegistryWriteFault registryWriteFault;
    // True when a write of this value (null: a write of a key, a flush)
    // must fail.
    bool RegistryWriteFails(const char16_t *valueName) const;
    // CreateProcessW of this path fails as for a missing file.
    std::optional<std::u16string> processStartFault;

    // ---- the platform's version, as GetVersionExW reports it
    uint32_t osMajor = 5, osMinor = 2;

    // ---- events
    const std::vector<TraceEvent> &Trace() const { return trace_; }
    std::function<void(const TraceEvent &)> onTrace;
    void Record(const std::string &text);

    // Called on the thread whose body has returned or unwound.
    void ThreadEnded(Thread *thread);

private:
    Process *NewProcess(const std::u16string &path, const ProgramImage *image,
                        std::function<uint32_t()> body, const std::u16string &commandLine = u"");
    void ReleaseProcess(Process *process);
    void JoinEndedThreads();

    uint64_t calendarAtZero_; // the calendar at virtual time 0 (may wrap; only sums are read)
    uint64_t upTimeAtZero_ = 0;
    Thread driver_;
    Scheduler scheduler_;
    HandleTable handles_;
    std::unique_ptr<Registry> registry_;
    std::unique_ptr<FileSystem> files_;
    std::deque<ProgramImage> programs_;  // processes point into it
    std::deque<LibraryImage> libraries_; // loaded modules point into it
    std::vector<std::unique_ptr<Thread>> threads_;
    std::vector<Thread *> ended_; // whose host threads are still to be joined
    std::vector<std::shared_ptr<Process>> processes_;
    struct PendingFault {
        uint32_t error;
        uint32_t skip;
    };
    std::map<Fault, PendingFault> faults_;
    std::vector<TraceEvent> trace_;
    void *layers_[static_cast<int>(Layer::Count)] = {};
    uint32_t nextPid_ = 1;
    uint32_t nextTid_ = 1;
};

// Narrow and widen plain ASCII/UTF-16 text for names and messages.
std::string Narrow(const std::u16string &s);
std::u16string Widen(const std::string &s);
// A text in double quotes as device scripts print it, in UTF-8: \" for a
// quote, \n for a line break, and \\ for a backslash that would otherwise
// read as the start of one of these (or end the text).
std::string QuoteText(const std::u16string &text);
// A name (a window class) as printed lines show it: as it is when it is one
// word, quoted like a text when it is empty or holds spaces or quotes.
std::string PrintedName(const std::u16string &name);

} // namespace sim
