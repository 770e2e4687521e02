// DeviceSim: the kernel calls — errors, handles, threads, synchronisation,
// processes, modules and heaps.
#include <windows.h>

#include "kernel/FileSystem.h"
#include "kernel/Kernel.h"
#include "kernel/Names.h"
#include "kernel/Waitable.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>

using namespace sim;

namespace {

HANDLE ToHandle(uintptr_t h) {
    return reinterpret_cast<HANDLE>(h);
}
uintptr_t FromHandle(HANDLE h) {
    return reinterpret_cast<uintptr_t>(h);
}

// The pseudo-handle GetCurrentProcess returns.
const uintptr_t kCurrentProcess = uintptr_t(-1) - 0; // same bits as INVALID_HANDLE_VALUE

struct Mutex : Waitable {
    Thread *owner = nullptr;
    int count = 0;
    bool Signaled(Thread *t) const override { return !owner || owner == t; }
    void Acquire(Thread *t) override {
        owner = t;
        ++count;
    }
};

struct Event : Waitable {
    bool manual = false;
    bool signaled = false;
    bool Signaled(Thread *) const override { return signaled; }
    void Acquire(Thread *) override {
        if (!manual)
            signaled = false;
    }
};

struct CriticalSection {
    Thread *owner = nullptr;
    int count = 0;
    std::vector<Thread *> waiters;
};

struct Heap : KernelObject {
    std::map<void *, size_t> blocks;
    ~Heap() override {
        for (auto &b : blocks)
            std::free(b.first);
    }
};

template <class T> std::shared_ptr<T> Lookup(HANDLE h) {
    return CurrentHandles().Get<T>(FromHandle(h));
}

std::shared_ptr<KernelObject> Named(LPCWSTR name) {
    if (!name || !*name)
        return nullptr;
    auto it = CurrentKernel().names.find(NameKey(name));
    return it == CurrentKernel().names.end() ? nullptr : it->second.lock();
}

template <class T>
HANDLE CreateNamed(LPCWSTR name, const std::function<std::shared_ptr<T>()> &make) {
    if (std::shared_ptr<KernelObject> existing = Named(name)) {
        std::shared_ptr<T> same = std::dynamic_pointer_cast<T>(existing);
        if (!same) {
            SetError(ERROR_INVALID_HANDLE);
            return nullptr;
        }
        HANDLE h = ToHandle(CurrentHandles().Add(same, &CurrentProcess()));
        SetError(ERROR_ALREADY_EXISTS);
        return h;
    }
    std::shared_ptr<T> object = make();
    if (name && *name)
        CurrentKernel().names[NameKey(name)] = object;
    SetError(ERROR_SUCCESS);
    return ToHandle(CurrentHandles().Add(object, &CurrentProcess()));
}

} // namespace

// ------------------------------------------------------------ waitables

namespace sim {

void Waitable::WakeWaiters() {
    std::vector<Thread *> waiting;
    waiting.swap(waiters);
    for (Thread *t : waiting)
        CurrentKernel().scheduler().Wake(t);
}

} // namespace sim

// ------------------------------------------------------------ errors, handles

DWORD WINAPI GetLastError(void) {
    sim::CountCall("GetLastError");
    return CurrentThread().lastError;
}
void WINAPI SetLastError(DWORD code) {
    sim::CountCall("SetLastError");
    SetError(code);
}

BOOL WINAPI CloseHandle(HANDLE h) {
    sim::CountCall("CloseHandle");
    if (!CurrentHandles().Close(FromHandle(h))) {
        SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

// ------------------------------------------------------------ synchronisation

HANDLE WINAPI CreateMutexW(LPSECURITY_ATTRIBUTES, BOOL initialOwner, LPCWSTR name) {
    sim::CountCall("CreateMutexW");
    Thread *self = &CurrentThread();
    HANDLE h = CreateNamed<Mutex>(name, [&] {
        auto m = std::make_shared<Mutex>();
        if (initialOwner)
            m->Acquire(self);
        return m;
    });
    return h;
}

BOOL WINAPI ReleaseMutex(HANDLE h) {
    sim::CountCall("ReleaseMutex");
    std::shared_ptr<Mutex> m = Lookup<Mutex>(h);
    if (!m || m->owner != &CurrentThread()) {
        SetError(m ? ERROR_NOT_OWNER : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (--m->count == 0) {
        m->owner = nullptr;
        m->WakeWaiters();
    }
    return TRUE;
}

HANDLE WINAPI CreateEventW(LPSECURITY_ATTRIBUTES, BOOL manual, BOOL initial, LPCWSTR name) {
    sim::CountCall("CreateEventW");
    return CreateNamed<Event>(name, [&] {
        auto e = std::make_shared<Event>();
        e->manual = manual != FALSE;
        e->signaled = initial != FALSE;
        return e;
    });
}

static BOOL ChangeEvent(HANDLE h, bool signaled) {
    std::shared_ptr<Event> e = Lookup<Event>(h);
    if (!e) {
        SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    e->signaled = signaled;
    if (signaled)
        e->WakeWaiters();
    return TRUE;
}

BOOL WINAPI SetEvent(HANDLE h) {
    sim::CountCall("SetEvent");
    return ChangeEvent(h, true);
}
BOOL WINAPI ResetEvent(HANDLE h) {
    sim::CountCall("ResetEvent");
    return ChangeEvent(h, false);
}

DWORD WINAPI WaitForSingleObject(HANDLE h, DWORD ms) {
    sim::CountCall("WaitForSingleObject");
    std::shared_ptr<Waitable> w = Lookup<Waitable>(h);
    if (!w) {
        SetError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    Thread &self = CurrentThread();
    Scheduler &scheduler = CurrentKernel().scheduler();
    uint64_t deadline = ms == INFINITE ? kNever : scheduler.Now() + ms;
    for (;;) {
        if (w->Signaled(&self)) {
            w->Acquire(&self);
            return WAIT_OBJECT_0;
        }
        if (scheduler.Now() >= deadline)
            return WAIT_TIMEOUT;
        w->waiters.push_back(&self);
        scheduler.Block(&self, deadline);
        auto &list = w->waiters;
        list.erase(std::remove(list.begin(), list.end(), &self), list.end());
    }
}

void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION cs) {
    sim::CountCall("InitializeCriticalSection");
    cs->simState = new CriticalSection;
}

void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION cs) {
    sim::CountCall("DeleteCriticalSection");
    delete static_cast<CriticalSection *>(cs->simState);
    cs->simState = nullptr;
}

void WINAPI EnterCriticalSection(LPCRITICAL_SECTION cs) {
    sim::CountCall("EnterCriticalSection");
    auto *state = static_cast<CriticalSection *>(cs->simState);
    Thread &self = CurrentThread();
    while (state->owner && state->owner != &self) {
        state->waiters.push_back(&self);
        CurrentKernel().scheduler().Block(&self, kNever);
    }
    state->owner = &self;
    ++state->count;
}

void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION cs) {
    sim::CountCall("LeaveCriticalSection");
    auto *state = static_cast<CriticalSection *>(cs->simState);
    if (state->owner != &CurrentThread() || --state->count > 0)
        return;
    state->owner = nullptr;
    std::vector<Thread *> waiting;
    waiting.swap(state->waiters);
    for (Thread *t : waiting)
        CurrentKernel().scheduler().Wake(t);
}

// ------------------------------------------------------------ threads

HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES, DWORD, LPTHREAD_START_ROUTINE start, LPVOID param,
                           DWORD, LPDWORD threadId) {
    sim::CountCall("CreateThread");
    Process &process = CurrentProcess();
    Thread *t = CurrentKernel().CreateThreadIn(&process, [start, param] { return start(param); });
    if (threadId)
        *threadId = t->id;
    return ToHandle(CurrentHandles().Add(t->signal, &process));
}

void WINAPI ExitThread(DWORD code) {
    sim::CountCall("ExitThread");
    CurrentThread().exitCode = code;
    throw ThreadTerminated{};
}

void WINAPI Sleep(DWORD ms) {
    sim::CountCall("Sleep");
    Thread &self = CurrentThread();
    Scheduler &scheduler = CurrentKernel().scheduler();
    uint64_t until = scheduler.Now() + ms;
    do
        scheduler.Block(&self, until);
    while (scheduler.Now() < until && !self.terminating);
}

DWORD WINAPI GetTickCount(void) {
    sim::CountCall("GetTickCount");
    return CurrentKernel().TickCount();
}
DWORD WINAPI GetCurrentThreadId(void) {
    sim::CountCall("GetCurrentThreadId");
    return CurrentThread().id;
}
DWORD WINAPI GetCurrentProcessId(void) {
    sim::CountCall("GetCurrentProcessId");
    return CurrentProcess().pid;
}
HANDLE WINAPI GetCurrentProcess(void) {
    sim::CountCall("GetCurrentProcess");
    return ToHandle(kCurrentProcess);
}

// ------------------------------------------------------------ processes

void WINAPI ExitProcess(UINT code) {
    sim::CountCall("ExitProcess");
    Process &process = CurrentProcess();
    CurrentKernel().EndProcess(&process, code);
    CurrentThread().exitCode = code;
    throw ThreadTerminated{};
}

static Process *ProcessOf(HANDLE h) {
    if (FromHandle(h) == kCurrentProcess)
        return &CurrentProcess();
    std::shared_ptr<Process> p = Lookup<Process>(h);
    return p.get();
}

BOOL WINAPI TerminateProcess(HANDLE h, UINT code) {
    sim::CountCall("TerminateProcess");
    Process *p = ProcessOf(h);
    if (!p) {
        SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    CurrentKernel().EndProcess(p, code);
    if (p == &CurrentProcess())
        throw ThreadTerminated{};
    return TRUE;
}

BOOL WINAPI GetExitCodeProcess(HANDLE h, LPDWORD code) {
    sim::CountCall("GetExitCodeProcess");
    Process *p = ProcessOf(h);
    if (!p) {
        SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *code = p->ended ? p->exitCode : STILL_ACTIVE;
    return TRUE;
}

BOOL WINAPI CreateProcessW(LPCWSTR image, LPWSTR commandLine, LPSECURITY_ATTRIBUTES,
                           LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID, LPWSTR, LPSTARTUPINFOW,
                           LPPROCESS_INFORMATION info) {
    sim::CountCall("CreateProcessW");
    if (!image) {
        SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    uint32_t error = 0;
    // Windows CE passes the command line apart from the image name, which it
    // never repeats at its start.
    Process *p =
        CurrentKernel().CreateProcessFromFile(image, &error, commandLine ? commandLine : u"");
    if (!p) {
        SetError(error);
        return FALSE;
    }
    if (info) {
        Process &caller = CurrentProcess();
        std::shared_ptr<Process> shared = p->shared_from_this();
        info->hProcess = ToHandle(CurrentHandles().Add(shared, &caller));
        info->hThread = ToHandle(CurrentHandles().Add(p->threads.front()->signal, &caller));
        info->dwProcessId = p->pid;
        info->dwThreadId = p->threads.front()->id;
    }
    return TRUE;
}

DWORD WINAPI GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size) {
    sim::CountCall("GetModuleFileNameW");
    Process &process = CurrentProcess();
    const std::u16string *found = &process.path;
    if (module && module != static_cast<HMODULE>(process.Instance())) {
        auto loaded = std::find_if(process.modules.begin(), process.modules.end(),
                                   [module](const LoadedModule &m) {
                                       return m.handle == reinterpret_cast<uintptr_t>(module);
                                   });
        if (loaded == process.modules.end()) {
            SetError(ERROR_INVALID_HANDLE);
            return 0;
        }
        found = &loaded->path;
    }
    if (!buffer || size == 0) {
        SetError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    const std::u16string &path = *found;
    if (path.size() + 1 > size) {
        // Truncated and terminated; the full size tells the caller it was cut.
        std::copy(path.begin(), path.begin() + (size - 1), buffer);
        buffer[size - 1] = 0;
        SetError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::copy(path.begin(), path.end(), buffer);
    buffer[path.size()] = 0;
    return static_cast<DWORD>(path.size());
}

HMODULE WINAPI GetModuleHandleW(LPCWSTR name) {
    sim::CountCall("GetModuleHandleW");
    if (name) {
        SetError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    return static_cast<HMODULE>(CurrentProcess().Instance());
}

// ------------------------------------------------------------ heaps

HANDLE WINAPI HeapCreate(DWORD, size_t, size_t) {
    sim::CountCall("HeapCreate");
    return ToHandle(CurrentHandles().Add(std::make_shared<Heap>(), &CurrentProcess()));
}

BOOL WINAPI HeapDestroy(HANDLE h) {
    sim::CountCall("HeapDestroy");
    return CloseHandle(h);
}

LPVOID WINAPI HeapAlloc(HANDLE h, DWORD flags, size_t bytes) {
    sim::CountCall("HeapAlloc");
    std::shared_ptr<Heap> heap = Lookup<Heap>(h);
    if (!heap)
        return nullptr;
    void *p = (flags & HEAP_ZERO_MEMORY) ? std::calloc(1, bytes ? bytes : 1)
                                         : std::malloc(bytes ? bytes : 1);
    if (p)
        heap->blocks[p] = bytes;
    return p;
}

LPVOID WINAPI HeapReAlloc(HANDLE h, DWORD flags, LPVOID old, size_t bytes) {
    sim::CountCall("HeapReAlloc");
    std::shared_ptr<Heap> heap = Lookup<Heap>(h);
    if (!heap || !heap->blocks.count(old))
        return nullptr;
    size_t oldSize = heap->blocks[old];
    void *p = std::realloc(old, bytes ? bytes : 1);
    if (!p)
        return nullptr; // the old block stays valid, as the platform promises
    heap->blocks.erase(old);
    heap->blocks[p] = bytes;
    if ((flags & HEAP_ZERO_MEMORY) && bytes > oldSize)
        std::memset(static_cast<char *>(p) + oldSize, 0, bytes - oldSize);
    return p;
}

// The blocks are the process's and zeroed whatever the flags, so a run never
// depends on what memory held before.
HLOCAL WINAPI LocalAlloc(UINT, UINT bytes) {
    sim::CountCall("LocalAlloc");
    uint32_t fault;
    if (TakeFault(Fault::LocalAlloc, &fault)) {
        SetError(fault);
        return nullptr;
    }
    auto block = std::make_unique<uint8_t[]>(bytes ? bytes : 1);
    void *p = block.get();
    CurrentProcess().localMemory[p] = std::move(block);
    return static_cast<HLOCAL>(p);
}

// NULL when freed; the handle itself when it is no block of the process.
HLOCAL WINAPI LocalFree(HLOCAL h) {
    sim::CountCall("LocalFree");
    if (!CurrentProcess().localMemory.erase(h)) {
        SetError(ERROR_INVALID_HANDLE);
        return h;
    }
    return nullptr;
}

BOOL WINAPI HeapFree(HANDLE h, DWORD, LPVOID p) {
    sim::CountCall("HeapFree");
    std::shared_ptr<Heap> heap = Lookup<Heap>(h);
    if (!heap || !heap->blocks.erase(p))
        return FALSE;
    std::free(p);
    return TRUE;
}
