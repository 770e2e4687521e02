// The harness on Windows and Wine: each test body runs in a process of its
// own, the test program started again for that one test.
//
// A process, not a thread, because the tests rely on what a new process
// gives them on DeviceSim: window classes registered afresh (a second
// RegisterClassW of a name fails), no windows, timers or GDI objects left by
// an earlier test, and the module's own resources. A thread would share all
// of that with every test before it.
//
// The resources: a test that names an image runs in conformance-IMAGE.exe,
// the same objects linked with that program's resource script, so
// FindResourceW(NULL, ...) and GetModuleHandleW(NULL) see exactly what the
// program itself has; a test that names none runs in conformance.exe, which
// has no resources.
#include "conformance/Conformance.h"

#include <windows.h>

#include <string>

namespace conformance {
namespace {

// Set in the environment of a child: the name of the one test it runs.
const WCHAR kChildVariable[] = L"CONFORMANCE_CHILD";
// Wall-clock limit for one body; generous, as Wine starts slowly on a busy
// machine, yet far below the ctest limit.
const DWORD kBodyTimeoutMs = 30000;

std::wstring Widen(const std::string &text) {
    return std::wstring(text.begin(), text.end());
}

std::string Narrow(const std::wstring &text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i)
        out += text[i] < 128 ? (char)text[i] : '?';
    return out;
}

std::wstring CurrentTestName() {
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    return Widen(std::string(test->test_suite_name()) + "." + test->name());
}

std::wstring ProgramFolder() {
    WCHAR path[MAX_PATH];
    DWORD n = GetModuleFileNameW(NULL, path, MAX_PATH);
    std::wstring folder(path, n);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

// Reads whatever the pipe holds now, without blocking.
void Drain(HANDLE pipe, std::string &out) {
    DWORD available = 0;
    while (PeekNamedPipe(pipe, NULL, 0, NULL, &available, NULL) && available > 0) {
        char chunk[4096];
        DWORD got = 0;
        if (!ReadFile(pipe, chunk, sizeof chunk, &got, NULL) || got == 0)
            return;
        out.append(chunk, got);
    }
}

} // namespace

bool IsWindowsCe() {
    return false;
}

bool IsWine() {
    // Wine's ntdll exports its version; Windows' does not.
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != NULL;
}

void Run(void (*body)(), const char *image) {
    std::wstring test = CurrentTestName();
    WCHAR running[256];
    DWORD n = GetEnvironmentVariableW(kChildVariable, running, 256);
    if (n > 0 && n < 256 && test == running) {
        // A crash ends this process without a box that would wait for a user.
        SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
        FlushSequence();
        body();
        return;
    }

    std::wstring program = ProgramFolder() + L"conformance" +
                           (image && *image ? L"-" + Widen(image) : std::wstring()) + L".exe";
    if (GetFileAttributesW(program.c_str()) == INVALID_FILE_ATTRIBUTES) {
        ADD_FAILURE() << "no test program has the resources of \"" << image << "\" ("
                      << Narrow(program) << "); link its resource script into one";
        return;
    }

    SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
    HANDLE readEnd = NULL, writeEnd = NULL;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, &inherit, 0));
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    std::wstring commandLine =
        L"\"" + program + L"\" --gtest_color=no --gtest_brief=0 --gtest_filter=" + test;
    PROCESS_INFORMATION process = {};
    SetEnvironmentVariableW(kChildVariable, test.c_str());
    BOOL started = CreateProcessW(program.c_str(), &commandLine[0], NULL, NULL, TRUE, 0, NULL, NULL,
                                  &startup, &process);
    SetEnvironmentVariableW(kChildVariable, NULL);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        FAIL() << "could not start " << Narrow(program) << ": error " << GetLastError();
    }

    // The pipe is read while the child runs, so a talkative child never
    // blocks on a full pipe.
    std::string output;
    DWORD waited = 0;
    while (WaitForSingleObject(process.hProcess, 20) == WAIT_TIMEOUT && waited < kBodyTimeoutMs) {
        waited += 20;
        Drain(readEnd, output);
    }
    bool finished = WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
    if (!finished)
        TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, INFINITE);
    Drain(readEnd, output);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(readEnd);

    // A child that ran no test (a filter that matched nothing) passes
    // nothing: it must say that its one test passed.
    bool passed =
        finished && exitCode == 0 && output.find("[  PASSED  ] 1 test.") != std::string::npos;
    if (!passed)
        ADD_FAILURE() << (finished ? "" : "the body did not return within 30 s; ")
                      << "the test's process ended with code " << exitCode << "; what it printed:\n"
                      << output;
}

} // namespace conformance
