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
//                during the round's compositions>
//   bench_compose startup <performance counter when the process was started>
//       Where the start-up time goes (bench_startup runs this): seconds from
//       the process's creation to its entry point, GdiplusStartup, the main
//       dialog's construction, and its creation up to the first composition,
//       with the time spent inside the GDI+ calls that decode images and make
//       fonts and text. Prints one line and ends at once (no window teardown).
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

// ---- counting and timing GDI+ calls ----------------------------------------------

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
        return result;
    }
};

// Points this executable's import of `name` from gdiplus.dll at `hook` and
// returns the original, or null when the executable does not import it.
void* HookGdiplusImport(const char* name, void* hook) {
    auto* base = reinterpret_cast<unsigned char*>(::GetModuleHandleW(nullptr));
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); imp->Name; ++imp) {
        if (_stricmp(reinterpret_cast<char*>(base + imp->Name), "gdiplus.dll") != 0) continue;
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
void Hook() {
    T::original = reinterpret_cast<typename T::Fn>(HookGdiplusImport(T::kName, reinterpret_cast<void*>(&T::Call)));
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
#undef ZAV3D_TIMED

void HookGdiplus() {
    Hook<TimedGdipLoadImageFromStream>();
    Hook<TimedGdipLoadImageFromStreamICM>();
    Hook<TimedGdipCreateBitmapFromStream>();
    Hook<TimedGdipCreateBitmapFromStreamICM>();
    Hook<TimedGdipCreateFontFamilyFromName>();
    Hook<TimedGdipCreateFont>();
    Hook<TimedGdipDrawString>();
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
        for (int i = 0; i < perRound; ++i) {
            double t = bench::Now();
            dialog.Recompose();
            compose.push_back((bench::Now() - t) * 1000);
            Pump();
            t = bench::Now();
            floor.Push();
            pushed.push_back((bench::Now() - t) * 1000);
            Pump();
        }
        const long decodes = Decodes().calls - decodesBefore;
        if (round == 0) continue;
        char line[256];
        std::snprintf(line, sizeof(line),
                      "round=%d compose=%.4f floor=%.4f compose_mean=%.4f floor_mean=%.4f decodes=%ld", round,
                      Median(compose), Median(pushed), Mean(compose), Mean(pushed), decodes);
        bench::Report(line);
    }
    // Ends without tearing the windows down: wine waits up to 2 s per
    // top-level window for a window manager that Xvfb does not have.
    ::ExitProcess(0);
}

// `created` is the performance counter's raw value when the process was made.
int Startup(long long created) {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    const double origin = static_cast<double>(created) / static_cast<double>(f.QuadPart);
    const double entry = bench::Now();
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
                  "fontfamily=%.6f font=%.6f drawstring=%.6f drawstrings=%ld made=%d",
                  entry - origin, gdiplus - entry, constructed - gdiplus, initialised - constructed,
                  initialised - origin, decodes.seconds, decodes.calls,
                  TimedGdipCreateFontFamilyFromName::tally.seconds, TimedGdipCreateFont::tally.seconds,
                  TimedGdipDrawString::tally.seconds, TimedGdipDrawString::tally.calls, made ? 1 : 0);
    bench::Report(line);
    ::ExitProcess(0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    HookGdiplus();
    if (argc == 3 && std::wstring(argv[1]) == L"startup") return Startup(_wtoi64(argv[2]));
    const int perRound = argc > 1 ? std::max(1, _wtoi(argv[1])) : 200;
    const int rounds = argc > 2 ? std::max(1, _wtoi(argv[2])) : 5;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    return Compositions(perRound, rounds);
}
