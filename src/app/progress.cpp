#include "app/progress.h"

#include <cmath>

#include "update/file_entry.h"

void ProgressState::AddToTotal(int64_t bytes) {
    fw::Lock lock(progressLock_);
    totalBytes_ += bytes;
}

void ProgressState::OnFileStarted(FileEntry& entry) {
    fw::Lock lock(progressLock_);
    currentEntry_ = &entry;
    bytesAtLastTick_ = 0;
}

void ProgressState::OnFileCounted(FileEntry& entry) {
    fw::Lock lock(progressLock_);
    carryBytes_ += entry.received.load() - bytesAtLastTick_;
    doneBytes_ += entry.size;
    // The finished entry is in doneBytes and its last bytes in carryBytes now:
    // a tick before the next file starts must not count it a second time.
    currentEntry_ = nullptr;
    bytesAtLastTick_ = 0;
}

ProgressTick ProgressState::Tick() {
    ProgressTick tick{};
    {
        fw::Lock lock(progressLock_);
        tick.total = totalBytes_;
        const int64_t current = currentEntry_ ? currentEntry_->received.load() : 0;
        tick.done = doneBytes_ + current;
        tick.speed = carryBytes_ - bytesAtLastTick_ + current;
        bytesAtLastTick_ = current;
        carryBytes_ = 0;
    }
    tick.percent = tick.total == 0
                       ? 0
                       : static_cast<int>(std::trunc(static_cast<double>(tick.done) / static_cast<double>(tick.total) * 100.0));
    return tick;
}

ProgressState& Progress() {
    static ProgressState state;
    return state;
}

std::wstring FormatByteSize(double value) {
    static const wchar_t* const kUnits[] = {L"B", L"KB", L"MB", L"GB", L"TB", L"PB", L"EB"};
    size_t unit = 0;
    while (value > 1024.0 && unit + 1 < sizeof kUnits / sizeof kUnits[0]) {
        value *= 0.0009765625;
        ++unit;
    }
    const double whole = std::trunc(value);
    int hundredths = static_cast<int>(std::trunc(100.0 * (value - whole)));
    if (hundredths < 0) hundredths = -hundredths;
    std::wstring text = std::to_wstring(static_cast<long long>(whole));
    if (value < 0 && whole == 0) text = L"-" + text;
    text += hundredths < 10 ? L".0" : L".";
    text += std::to_wstring(hundredths);
    return text + kUnits[unit];
}

std::wstring ProgressDetailText(const ProgressTick& tick) {
    return L"下载大小：" + FormatByteSize(static_cast<double>(tick.done)) + L"/" +
           FormatByteSize(static_cast<double>(tick.total)) + L" 下载速度：" +
           FormatByteSize(static_cast<double>(tick.speed));
}

std::wstring ShortenDetailText(const std::wstring& text) {
    if (text.size() <= 60) return text;
    return text.substr(0, 60) + L"...";
}
