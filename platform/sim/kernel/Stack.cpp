#include "kernel/Stack.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <signal.h>

namespace sim {

namespace {

constexpr size_t kHostFrameFactor = 2;
#if defined(__SANITIZE_ADDRESS__)
constexpr size_t kSanitizerFactor = 4;
#else
constexpr size_t kSanitizerFactor = 1;
#endif
// Below the deepest platform call DeviceSim does its own work (the window
// manager, GDI, the scheduler's switch), and a thread that overflowed
// unwinds through destructors that call the platform again.
constexpr size_t kSimulatorRoom = 192 * 1024;
constexpr size_t kGuardSize = 64 * 1024;
constexpr size_t kSignalStackSize = 64 * 1024;

// The simulated thread's host side on this host thread, for the fault handler.
thread_local HostThread *tHost = nullptr;

// The handlers that were in place before DeviceSim's; faults that are not a
// simulated thread's overflow go to them. Set once, before any simulated
// thread starts, and only read afterwards.
struct PreviousHandlers {
    struct sigaction segv;
    struct sigaction bus;
};
PreviousHandlers &Previous() {
    static PreviousHandlers previous;
    return previous;
}

bool OnGuardPage(const HostThread &host, uintptr_t address) {
    return address < host.stackBottom + 4096 && address + kGuardSize + 4096 >= host.stackBottom;
}

void OnFault(int signal, siginfo_t *info, void *context) {
    HostThread *host = tHost;
    if (host && OnGuardPage(*host, reinterpret_cast<uintptr_t>(info->si_addr)))
        siglongjmp(host->overflowJump, 1);
    const struct sigaction &previous = signal == SIGSEGV ? Previous().segv : Previous().bus;
    if ((previous.sa_flags & SA_SIGINFO) && previous.sa_sigaction) {
        previous.sa_sigaction(signal, info, context);
        return;
    }
    if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
        previous.sa_handler(signal);
        return;
    }
    // Returning repeats the faulting instruction, which now ends the host
    // process as it would have without DeviceSim.
    ::signal(signal, SIG_DFL);
}

void InstallFaultHandler() {
    struct sigaction action = {};
    action.sa_sigaction = OnFault;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    sigaction(SIGSEGV, &action, &Previous().segv);
    sigaction(SIGBUS, &action, &Previous().bus);
}

void *HostMain(void *argument) {
    HostThread &host = *static_cast<HostThread *>(argument);
    tHost = &host;
    pthread_attr_t attributes;
    void *low = nullptr;
    size_t size = 0;
    if (pthread_getattr_np(pthread_self(), &attributes) == 0) {
        pthread_attr_getstack(&attributes, &low, &size);
        pthread_attr_destroy(&attributes);
    }
    host.stackBottom = reinterpret_cast<uintptr_t>(low);
    host.stackTop = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));

    // The fault handler needs a stack of its own when this one is used up.
    // A sanitizer may have given the thread one already.
    std::unique_ptr<char[]> signalStack;
    stack_t current = {};
    sigaltstack(nullptr, &current);
    if (current.ss_flags & SS_DISABLE) {
        signalStack.reset(new char[kSignalStackSize]);
        stack_t own = {};
        own.ss_sp = signalStack.get();
        own.ss_size = kSignalStackSize;
        sigaltstack(&own, nullptr);
    }

    if (sigsetjmp(host.overflowJump, 1) == 0)
        host.run();
    else
        host.overflowed();

    if (signalStack) {
        stack_t off = {};
        off.ss_flags = SS_DISABLE;
        sigaltstack(&off, nullptr);
    }
    tHost = nullptr;
    return nullptr;
}

} // namespace

size_t HostStackLimit() {
    return kDeviceStackUsable * kHostFrameFactor * kSanitizerFactor;
}

size_t HostStackSize() {
    return HostStackLimit() + kSimulatorRoom * kSanitizerFactor + kGuardSize;
}

void StartHostThread(HostThread &host, std::function<void()> run,
                     std::function<void()> overflowed) {
    static std::once_flag handlerInstalled;
    std::call_once(handlerInstalled, InstallFaultHandler);
    host.run = std::move(run);
    host.overflowed = std::move(overflowed);
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, HostStackSize());
    pthread_attr_setguardsize(&attributes, kGuardSize);
    int error = pthread_create(&host.handle, &attributes, HostMain, &host);
    pthread_attr_destroy(&attributes);
    if (error != 0) {
        std::fprintf(stderr, "DeviceSim: cannot start a host thread (error %d)\n", error);
        std::abort();
    }
    host.started = true;
}

void JoinHostThread(HostThread &host) {
    if (!host.started)
        return;
    pthread_join(host.handle, nullptr);
    host.started = false;
}

size_t StackInUse(const HostThread &host) {
    uintptr_t frame = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    return host.stackTop > frame ? host.stackTop - frame : 0;
}

} // namespace sim
