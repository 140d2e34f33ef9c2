// Composition of the main window: CTranslucentDialog::Recompose of the real
// CZav3DLoaderDlg (all five controls registered, texts and progress set),
// against the floor: UpdateLayeredWindow of a ready surface of the same size
// pushed to the same window, which every composition ends with.
//
//   bench_compose <compositions per round> <rounds>
//       One warm-up round, then the rounds, each alternating one composition
//       and one floor push. Prints one line per round:
//         RESULT round=<r> compose=<median ms> floor=<median ms>
//                compose_mean=<ms> floor_mean=<ms> decodes=<PNG decodes
//                during the round's compositions> in_push= in_surface=
//                in_gdiplus= in_images= in_flush= in_dcs=<mean ms per
//                composition inside UpdateLayeredWindow, the DIB section,
//                the GDI+ objects over it, image drawing, the final flush,
//                the device contexts, window queries and memory copies>
//   bench_compose startup <performance counter when the process was started>
//       Where the start-up time goes (bench_startup runs this): seconds from
//       the process's creation to its entry point, GdiplusStartup, the main
//       dialog's construction, and its creation up to the first composition,
//       with the time spent inside the GDI+ calls that decode images and make
//       fonts and text. Prints one line and ends at once (no window teardown).
//   bench_compose startup 0 trace
//       The same, and a timeline on standard error: "TRACE <call> <start ms>
//       <ms inside>" for every timed Win32 and GDI+ call (window creation,
//       the companion, moves, settings, decodes, compositions).
//
// Needs a display (Xvfb) and a "setting.ini" beside the executable with
// AutoUpdate=False. Image decodes are counted (and timed) by catching the GDI+
// entry points in this executable's import table, so a decode during a
// composition cannot go unseen.
#include <windows.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/main_dialog.h"
#include "bench_common.h"

namespace {

// ---- counting and timing imported calls ------------------------------------------

// Set by "startup ... trace": every timed call is printed as it returns.
bool g_trace = false;

struct Tally {
    long calls = 0;
    double seconds = 0;
};

// One import slot replaced by a wrapper that counts and times the calls.
template <typename Fn, const char* Name>
struct Timed;

template <typename R, typename... Args, const char* Name>
struct Timed<R(WINAPI*)(Args...), Name> {
    using Fn = R(WINAPI*)(Args...);
    static constexpr const char* kName = Name;
    static inline Fn original = nullptr;
    static inline Tally tally;
    static R WINAPI Call(Args... args) {
        const double start = bench::Now();
        R result = original(args...);
        tally.seconds += bench::Now() - start;
        ++tally.calls;
        // The C runtime's copies are left out: printing calls them itself.
        if (g_trace && Name[0] != 'm') {
            std::fprintf(stderr, "TRACE %s %.2f %.2f\n", Name, start * 1000, (bench::Now() - start) * 1000);
            std::fflush(stderr);
        }
        return result;
    }
};

// Points this executable's import of `name` from `dll` at `hook` and returns
// the original, or null when the executable does not import it.
void* HookImport(const char* dll, const char* name, void* hook) {
    auto* base = reinterpret_cast<unsigned char*>(::GetModuleHandleW(nullptr));
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); imp->Name; ++imp) {
        if (_stricmp(reinterpret_cast<char*>(base + imp->Name), dll) != 0) continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<char*>(byName->Name), name) != 0) continue;
            DWORD old = 0;
            ::VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), PAGE_READWRITE, &old);
            void* original = reinterpret_cast<void*>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(hook);
            ::VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), old, &old);
            return original;
        }
    }
    return nullptr;
}

template <typename T>
void Hook(const char* dll = "gdiplus.dll") {
    T::original = reinterpret_cast<typename T::Fn>(HookImport(dll, T::kName, reinterpret_cast<void*>(&T::Call)));
}

#define ZAV3D_TIMED(fn)       \
    constexpr char k##fn[] = #fn; \
    using Timed##fn = Timed<decltype(&Gdiplus::DllExports::fn), k##fn>;
ZAV3D_TIMED(GdipLoadImageFromStream)
ZAV3D_TIMED(GdipLoadImageFromStreamICM)
ZAV3D_TIMED(GdipCreateBitmapFromStream)
ZAV3D_TIMED(GdipCreateBitmapFromStreamICM)
ZAV3D_TIMED(GdipCreateFontFamilyFromName)
ZAV3D_TIMED(GdipCreateFont)
ZAV3D_TIMED(GdipDrawString)
ZAV3D_TIMED(GdipCreateBitmapFromScan0)
ZAV3D_TIMED(GdipGetImageGraphicsContext)
ZAV3D_TIMED(GdipDrawImageRectI)
ZAV3D_TIMED(GdipDrawImageRect)
ZAV3D_TIMED(GdipDrawImageRectRect)
ZAV3D_TIMED(GdipFlush)
ZAV3D_TIMED(GdipDeleteGraphics)
ZAV3D_TIMED(GdipDisposeImage)
#undef ZAV3D_TIMED

#define ZAV3D_TIMED_WIN32(fn) \
    constexpr char k##fn[] = #fn; \
    using Timed##fn = Timed<decltype(&::fn), k##fn>;
ZAV3D_TIMED_WIN32(CreateDIBSection)
ZAV3D_TIMED_WIN32(DeleteObject)
ZAV3D_TIMED_WIN32(UpdateLayeredWindow)
ZAV3D_TIMED_WIN32(GetDC)
ZAV3D_TIMED_WIN32(ReleaseDC)
ZAV3D_TIMED_WIN32(CreateCompatibleDC)
ZAV3D_TIMED_WIN32(DeleteDC)
ZAV3D_TIMED_WIN32(SelectObject)
ZAV3D_TIMED_WIN32(GetWindowRect)
ZAV3D_TIMED_WIN32(ScreenToClient)
ZAV3D_TIMED_WIN32(GetParent)
ZAV3D_TIMED_WIN32(GetWindowLongPtrW)
ZAV3D_TIMED_WIN32(CreateDialogParamW)
ZAV3D_TIMED_WIN32(ShowWindow)
ZAV3D_TIMED_WIN32(SetWindowPos)
ZAV3D_TIMED_WIN32(LoadLibraryW)
ZAV3D_TIMED_WIN32(GetPrivateProfileStringW)
ZAV3D_TIMED_WIN32(CreateFileW)
ZAV3D_TIMED_WIN32(CreateDirectoryW)
ZAV3D_TIMED_WIN32(SetWindowLongPtrW)
ZAV3D_TIMED_WIN32(LoadIconW)
ZAV3D_TIMED_WIN32(SendMessageW)
#undef ZAV3D_TIMED_WIN32

// The C runtime's copies: the background copied into each fresh surface.
constexpr char kmemcpy[] = "memcpy";
using Timedmemcpy = Timed<void* (*)(void*, const void*, size_t), kmemcpy>;
constexpr char kmemset[] = "memset";
using Timedmemset = Timed<void* (*)(void*, int, size_t), kmemset>;

// The dialog finds UpdateLayeredWindow by name at run time, so the import
// table never holds it: its look-up hands out the timed wrapper instead.
using GetProcAddressFn = FARPROC(WINAPI*)(HMODULE, LPCSTR);
GetProcAddressFn g_getProcAddress = nullptr;

FARPROC WINAPI FindProcedure(HMODULE module, LPCSTR name) {
    FARPROC found = g_getProcAddress(module, name);
    if (found && reinterpret_cast<ULONG_PTR>(name) > 0xFFFF && std::strcmp(name, "UpdateLayeredWindow") == 0) {
        TimedUpdateLayeredWindow::original = reinterpret_cast<TimedUpdateLayeredWindow::Fn>(found);
        return reinterpret_cast<FARPROC>(&TimedUpdateLayeredWindow::Call);
    }
    return found;
}

void HookGdiplus() {
    Hook<TimedGdipLoadImageFromStream>();
    Hook<TimedGdipLoadImageFromStreamICM>();
    Hook<TimedGdipCreateBitmapFromStream>();
    Hook<TimedGdipCreateBitmapFromStreamICM>();
    Hook<TimedGdipCreateFontFamilyFromName>();
    Hook<TimedGdipCreateFont>();
    Hook<TimedGdipDrawString>();
    Hook<TimedGdipCreateBitmapFromScan0>();
    Hook<TimedGdipGetImageGraphicsContext>();
    Hook<TimedGdipDrawImageRectI>();
    Hook<TimedGdipDrawImageRect>();
    Hook<TimedGdipDrawImageRectRect>();
    Hook<TimedGdipFlush>();
    Hook<TimedGdipDeleteGraphics>();
    Hook<TimedGdipDisposeImage>();
    Hook<TimedCreateDIBSection>("gdi32.dll");
    Hook<TimedDeleteObject>("gdi32.dll");
    Hook<TimedGetDC>("user32.dll");
    Hook<TimedReleaseDC>("user32.dll");
    Hook<TimedCreateCompatibleDC>("gdi32.dll");
    Hook<TimedDeleteDC>("gdi32.dll");
    Hook<TimedSelectObject>("gdi32.dll");
    Hook<TimedGetWindowRect>("user32.dll");
    Hook<TimedScreenToClient>("user32.dll");
    Hook<TimedGetParent>("user32.dll");
    Hook<TimedGetWindowLongPtrW>("user32.dll");
    Hook<TimedCreateDialogParamW>("user32.dll");
    Hook<TimedShowWindow>("user32.dll");
    Hook<TimedSetWindowPos>("user32.dll");
    Hook<TimedLoadLibraryW>("kernel32.dll");
    Hook<TimedGetPrivateProfileStringW>("kernel32.dll");
    Hook<TimedCreateFileW>("kernel32.dll");
    Hook<TimedCreateDirectoryW>("kernel32.dll");
    Hook<TimedSetWindowLongPtrW>("user32.dll");
    Hook<TimedLoadIconW>("user32.dll");
    Hook<TimedSendMessageW>("user32.dll");
    Hook<Timedmemcpy>("msvcrt.dll");
    Hook<Timedmemset>("msvcrt.dll");
    g_getProcAddress = reinterpret_cast<GetProcAddressFn>(
        HookImport("kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(&FindProcedure)));
}

// Milliseconds per composition spent in the timed calls since `before`.
struct Split {
    double push = 0;     // UpdateLayeredWindow inside Recompose
    double surface = 0;  // DIB section made and deleted
    double gdiplus = 0;  // GDI+ bitmap and graphics over the surface, made and released
    double images = 0;   // images drawn
    double flush = 0;
    double dcs = 0;      // window DC got and released, memory DC made and deleted, selections
    double windows = 0;  // window rectangles, styles and parents asked for
    double copies = 0;   // memcpy and memset (the background into the fresh surface)
};

struct Snapshot {
    double push, dib, gdiplus, images, flush, dcs, windows, copies;
};

Snapshot Take() {
    return {TimedUpdateLayeredWindow::tally.seconds,
            TimedCreateDIBSection::tally.seconds + TimedDeleteObject::tally.seconds,
            TimedGdipCreateBitmapFromScan0::tally.seconds + TimedGdipGetImageGraphicsContext::tally.seconds +
                TimedGdipDeleteGraphics::tally.seconds + TimedGdipDisposeImage::tally.seconds,
            TimedGdipDrawImageRectI::tally.seconds + TimedGdipDrawImageRect::tally.seconds +
                TimedGdipDrawImageRectRect::tally.seconds,
            TimedGdipFlush::tally.seconds,
            TimedGetDC::tally.seconds + TimedReleaseDC::tally.seconds + TimedCreateCompatibleDC::tally.seconds +
                TimedDeleteDC::tally.seconds + TimedSelectObject::tally.seconds,
            TimedGetWindowRect::tally.seconds + TimedScreenToClient::tally.seconds + TimedGetParent::tally.seconds +
                TimedGetWindowLongPtrW::tally.seconds,
            Timedmemcpy::tally.seconds + Timedmemset::tally.seconds};
}

Split Between(const Snapshot& a, const Snapshot& b, int count) {
    const double k = 1000.0 / count;
    return {(b.push - a.push) * k, (b.dib - a.dib) * k, (b.gdiplus - a.gdiplus) * k, (b.images - a.images) * k,
            (b.flush - a.flush) * k, (b.dcs - a.dcs) * k, (b.windows - a.windows) * k, (b.copies - a.copies) * k};
}

Tally Decodes() {
    Tally sum;
    for (const Tally* t : {&TimedGdipLoadImageFromStream::tally, &TimedGdipLoadImageFromStreamICM::tally,
                           &TimedGdipCreateBitmapFromStream::tally, &TimedGdipCreateBitmapFromStreamICM::tally}) {
        sum.calls += t->calls;
        sum.seconds += t->seconds;
    }
    return sum;
}

// ---- the floor -----------------------------------------------------------------

// A ready premultiplied surface the size of the window, pushed as it is.
class ReadySurface {
public:
    ReadySurface(HWND hwnd, int w, int h) : hwnd_(hwnd), w_(w), h_(h) {
        screen_ = ::GetDC(hwnd);
        memory_ = ::CreateCompatibleDC(screen_);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_ = ::CreateDIBSection(memory_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (bits) {
            uint32_t* pixels = static_cast<uint32_t*>(bits);
            for (int i = 0; i < w * h; ++i) pixels[i] = 0xC0402010;  // premultiplied, alpha 0xC0
        }
        old_ = ::SelectObject(memory_, bitmap_);
    }
    ~ReadySurface() {
        ::SelectObject(memory_, old_);
        ::DeleteObject(bitmap_);
        ::DeleteDC(memory_);
        ::ReleaseDC(hwnd_, screen_);
    }
    bool Push() {
        RECT r{};
        ::GetWindowRect(hwnd_, &r);
        POINT at{r.left, r.top};
        SIZE size{w_, h_};
        POINT source{0, 0};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        return ::UpdateLayeredWindow(hwnd_, screen_, &at, &size, memory_, &source, 0, &blend, ULW_ALPHA) != FALSE;
    }

private:
    HWND hwnd_;
    int w_;
    int h_;
    HDC screen_ = nullptr;
    HDC memory_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double Mean(const std::vector<double>& values) {
    double sum = 0;
    for (double v : values) sum += v;
    return values.empty() ? 0 : sum / static_cast<double>(values.size());
}

int Compositions(int perRound, int rounds) {
    CZav3DLoaderDlg dialog;
    if (!dialog.Create()) {
        std::fprintf(stderr, "bench_compose: the main dialog could not be made\n");
        return 1;
    }
    HWND hwnd = dialog.GetSafeHwnd();
    if (!hwnd || !dialog.Background() || dialog.Controls().size() != 5) {
        std::fprintf(stderr, "bench_compose: the main dialog is not set up (setting.ini beside the bench?)\n");
        return 1;
    }
    ::ShowWindow(hwnd, SW_SHOW);
    Pump();
    // What the window shows while a download runs.
    dialog.SetStatusText(L"正在下载文件......");
    dialog.SetDetailLabelText(L"123.45MB / 1024.00MB    2.50MB/s");
    dialog.SetProgressValue(12);
    Pump();

    ReadySurface floor(hwnd, static_cast<int>(dialog.Background()->Width()),
                       static_cast<int>(dialog.Background()->Height()));
    for (int round = 0; round <= rounds; ++round) {  // round 0: warm-up
        std::vector<double> compose;
        std::vector<double> pushed;
        const long decodesBefore = Decodes().calls;
        Snapshot inside{};
        for (int i = 0; i < perRound; ++i) {
            const Snapshot before = Take();
            double t = bench::Now();
            dialog.Recompose();
            compose.push_back((bench::Now() - t) * 1000);
            const Snapshot after = Take();
            inside = {inside.push + after.push - before.push, inside.dib + after.dib - before.dib,
                      inside.gdiplus + after.gdiplus - before.gdiplus, inside.images + after.images - before.images,
                      inside.flush + after.flush - before.flush, inside.dcs + after.dcs - before.dcs,
                      inside.windows + after.windows - before.windows, inside.copies + after.copies - before.copies};
            Pump();
            t = bench::Now();
            floor.Push();
            pushed.push_back((bench::Now() - t) * 1000);
            Pump();
        }
        const long decodes = Decodes().calls - decodesBefore;
        if (round == 0) continue;
        const Split split = Between(Snapshot{}, inside, perRound);
        char line[512];
        std::snprintf(line, sizeof(line),
                      "round=%d compose=%.4f floor=%.4f compose_mean=%.4f floor_mean=%.4f decodes=%ld "
                      "in_push=%.4f in_surface=%.4f in_gdiplus=%.4f in_images=%.4f in_flush=%.4f in_dcs=%.4f "
                      "in_windows=%.4f in_copies=%.4f",
                      round, Median(compose), Median(pushed), Mean(compose), Mean(pushed), decodes, split.push,
                      split.surface, split.gdiplus, split.images, split.flush, split.dcs, split.windows,
                      split.copies);
        bench::Report(line);
    }
    // Ends without tearing the windows down: wine waits up to 2 s per
    // top-level window for a window manager that Xvfb does not have.
    ::ExitProcess(0);
}

// `created` is the performance counter's raw value when the process was made.
int Startup(long long created, bool trace) {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    const double origin = static_cast<double>(created) / static_cast<double>(f.QuadPart);
    const double entry = bench::Now();
    g_trace = trace;
    if (trace) std::fprintf(stderr, "TRACE entry %.2f 0\n", entry * 1000);
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    const double gdiplus = bench::Now();
    CZav3DLoaderDlg* dialog = new CZav3DLoaderDlg;
    const double constructed = bench::Now();
    const bool made = dialog->Create();
    const double initialised = bench::Now();
    const Tally decodes = Decodes();
    char line[512];
    std::snprintf(line, sizeof(line),
                  "entry=%.6f gdiplus=%.6f construct=%.6f create=%.6f total=%.6f decode=%.6f decodes=%ld "
                  "fontfamily=%.6f font=%.6f drawstring=%.6f drawstrings=%ld made=%d pushes=%ld push=%.6f "
                  "copies=%.6f",
                  entry - origin, gdiplus - entry, constructed - gdiplus, initialised - constructed,
                  initialised - origin, decodes.seconds, decodes.calls,
                  TimedGdipCreateFontFamilyFromName::tally.seconds, TimedGdipCreateFont::tally.seconds,
                  TimedGdipDrawString::tally.seconds, TimedGdipDrawString::tally.calls, made ? 1 : 0,
                  TimedUpdateLayeredWindow::tally.calls, TimedUpdateLayeredWindow::tally.seconds,
                  Timedmemcpy::tally.seconds + Timedmemset::tally.seconds);
    bench::Report(line);
    ::ExitProcess(0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    HookGdiplus();
    if ((argc == 3 || argc == 4) && std::wstring(argv[1]) == L"startup") {
        return Startup(_wtoi64(argv[2]), argc == 4 && std::wstring(argv[3]) == L"trace");
    }
    const int perRound = argc > 1 ? std::max(1, _wtoi(argv[1])) : 200;
    const int rounds = argc > 2 ? std::max(1, _wtoi(argv[2])) : 5;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    return Compositions(perRound, rounds);
}
