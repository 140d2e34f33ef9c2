// Start-up to the first composed frame, with the prefix's wineserver already
// running (this probe is itself a wine process of the prefix).
//
//   bench_startup <loader exe> <window exe> <trivial exe> <runs> [<bench_compose exe>]
//
// Alternates, after one warm-up round: the trivial program started and waited
// for (its exit); the window program (bench_window: one layered window with a
// ready picture, the floor for any windowed program) and the loader, each
// started and watched until its main window (the layered, unowned top-level
// window of the process) is visible, which the loader's becomes only after
// its first composition was pushed. The loader needs a
// "setting.ini" beside it with AutoUpdate=False. The warm-up loader is closed
// as the close button does (WM_CLOSE) and the time that takes is reported;
// counted ones are ended at once, as closing is not what is measured.
// With a bench_compose exe, each run also starts it in its "startup" mode,
// which reports where its own start-up time goes (its line follows).
//
// Prints: RESULT warmup=1 close=<s from WM_CLOSE until the window is gone>
//                exit=<s from then until the process ended>
//         RESULT run=<n> trivial=<s> window=<s to its frame> loader=<s to the first frame>
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench_common.h"

namespace {

struct Search {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindMainWindow(HWND hwnd, LPARAM param) {
    Search* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid != search->pid || !::IsWindowVisible(hwnd) || ::GetWindow(hwnd, GW_OWNER) != nullptr) return TRUE;
    if ((::GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED) == 0) return TRUE;
    search->found = hwnd;
    return FALSE;
}

// Starts `exe` in its own folder; with `arguments`, it shares this probe's
// standard handles so that its result line lands in the same output.
bool Start(const std::wstring& exe, PROCESS_INFORMATION& process, const std::wstring& arguments = L"") {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    BOOL inherit = FALSE;
    if (!arguments.empty()) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
        startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
        for (HANDLE h : {startup.hStdOutput, startup.hStdError}) ::SetHandleInformation(h, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
        inherit = TRUE;
    }
    std::wstring commandLine = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    const std::wstring folder = exe.substr(0, exe.find_last_of(L"\\/"));
    return ::CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, inherit, 0, nullptr, folder.c_str(),
                            &startup, &process) != FALSE;
}

void Release(PROCESS_INFORMATION& process) {
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
}

// Seconds until the program has ended, or a negative value when it could not start.
double RunTrivial(const std::wstring& exe) {
    const double start = bench::Now();
    PROCESS_INFORMATION process{};
    if (!Start(exe, process)) return -1;
    ::WaitForSingleObject(process.hProcess, 30000);
    const double seconds = bench::Now() - start;
    Release(process);
    return seconds;
}

// Seconds to the first frame (negative when the window never showed within
// 30 s). With `close`, the window is closed and the times of its end and of
// the process's exit are given; otherwise the process is ended.
double RunLoader(const std::wstring& exe, bool close, double& closed, double& exited) {
    const double start = bench::Now();
    PROCESS_INFORMATION process{};
    if (!Start(exe, process)) return -1;
    Search search{process.dwProcessId, nullptr};
    double frame = -1;
    while (bench::Now() - start < 30) {
        ::EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            frame = bench::Now() - start;
            break;
        }
        if (::WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0) break;
    }
    if (close && search.found) {
        const double asked = bench::Now();
        ::PostMessageW(search.found, WM_CLOSE, 0, 0);
        while (::IsWindow(search.found) && bench::Now() - asked < 15) ::Sleep(1);
        closed = bench::Now() - asked;
        const double gone = bench::Now();
        ::WaitForSingleObject(process.hProcess, 15000);
        exited = bench::Now() - gone;
    }
    if (::WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.hProcess, 0);
        ::WaitForSingleObject(process.hProcess, 5000);
    }
    Release(process);
    return frame;
}

bool RunBreakdown(const std::wstring& exe) {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    PROCESS_INFORMATION process{};
    if (!Start(exe, process, L"startup " + std::to_wstring(now.QuadPart))) return false;
    const bool ended = ::WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0;
    if (!ended) ::TerminateProcess(process.hProcess, 1);
    Release(process);
    return ended;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 5 && argc != 6) {
        return bench::Usage("bench_startup <loader exe> <window exe> <trivial exe> <runs> [<bench_compose exe>]");
    }
    const int runs = _wtoi(argv[4]);
    for (int run = 0; run <= runs; ++run) {  // run 0: warm-up
        const double trivial = RunTrivial(argv[3]);
        double closed = -1;
        double exited = -1;
        const double window = RunLoader(argv[2], false, closed, exited);
        const double frame = RunLoader(argv[1], run == 0, closed, exited);
        if (trivial < 0 || window < 0 || frame < 0) {
            std::fprintf(stderr, "bench_startup: run %d failed\n", run);
            return 1;
        }
        if (run == 0) {
            bench::Report("warmup=1" + bench::Field("close", closed) + bench::Field("exit", exited));
        } else {
            bench::Report("run=" + std::to_string(run) + bench::Field("trivial", trivial) +
                          bench::Field("window", window) + bench::Field("loader", frame));
        }
        if (argc == 6 && !RunBreakdown(argv[5])) {
            std::fprintf(stderr, "bench_startup: the breakdown run %d failed\n", run);
            return 1;
        }
    }
    return 0;
}
