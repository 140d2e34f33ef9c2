#pragma once
// The records the pipeline hands its three stages. Each stage fills its
// record, sets done and calls the record's completion handler last, on its own
// thread; the handler takes the result with fw::TakeResult, which releases the
// record and raises the stage's message when it failed.
#include <cstdint>
#include <vector>

#include "framework/task_record.h"
#include "selfupdate/version_check.h"  // VersionCheckTask
#include "update/file_entry.h"
#include "update/manifest.h"  // ManifestTask

struct DownloadInputs {
    std::vector<FileEntry> entries;  // the worker's own copies, in download order
    // Called before each file's transfer starts.
    void (*beforeFile)(FileEntry& entry) = nullptr;
    // Called after each file, in list order, with the entry's position in entries.
    std::vector<void (*)(FileEntry& entry, uint32_t position)> afterFile;
};

// Result: 0 once every entry was handled.
using DownloadTask = fw::TaskRecord<int32_t, DownloadInputs>;
