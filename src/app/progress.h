#pragma once
// Progress of the download worker, as the one-second timer shows it. Byte
// counts are 64-bit so that runs of 2 GiB and more are counted correctly.
#include <cstdint>
#include <string>

#include "framework/unique_any.h"

struct FileEntry;

// What one tick shows.
struct ProgressTick {
    int64_t done;
    int64_t total;
    int64_t speed;    // bytes of the last period
    int percent;      // 0 when total is 0; may leave 0..100 only through bad input
};

class ProgressState {
public:
    void AddToTotal(int64_t bytes);
    void OnFileStarted(FileEntry& entry);
    void OnFileCounted(FileEntry& entry);
    // One timer period has passed: what to show, and the start of the next period.
    ProgressTick Tick();

private:
    fw::CriticalSection progressLock_;
    FileEntry* currentEntry_ = nullptr;
    int64_t bytesAtLastTick_ = 0;
    int64_t carryBytes_ = 0;
    int64_t doneBytes_ = 0;
    int64_t totalBytes_ = 0;
};

// The progress of this process's one pipeline run.
ProgressState& Progress();

// "0.00" style with the largest unit that keeps the value at or below 1024:
// 1024 gives "1024.00B", 1536 gives "1.50KB", 6,366,000 gives "6.07MB".
std::wstring FormatByteSize(double value);

// The detail line's text: "下载大小：" done "/" total " 下载速度：" speed.
std::wstring ProgressDetailText(const ProgressTick& tick);

// Longer texts keep their first 60 characters followed by "...".
std::wstring ShortenDetailText(const std::wstring& text);
