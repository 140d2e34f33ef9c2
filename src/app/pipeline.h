#pragma once
// The update pipeline: three stages, each on a thread of its own, chained by
// their completion handlers (which run on the finishing stage's thread):
// version check -> manifest -> download worker -> finalisation.
#include <cstdint>
#include <string>
#include <vector>

#include "app/task_records.h"

using AfterFileCallback = void (*)(FileEntry& entry, uint32_t position);

// Starts the first stage and returns at once. Raises a standard exception
// when the stage's thread cannot be started.
void StartVersionCheck();
void StartManifestFetch();
DownloadTask* StartDownload(const std::vector<FileEntry>& entries, AfterFileCallback afterFile);

void OnVersionChecked(VersionCheckTask* task);
void OnManifestLoaded(ManifestTask* task);
void OnDownloadFinished(DownloadTask* task);

// The worker's per-file callbacks; position is the entry's 1-based place.
void OnFileStarted(FileEntry& entry);
void OnFileExtract(FileEntry& entry, uint32_t position);
void OnFileCounted(FileEntry& entry, uint32_t position);

// The progress timer's handler, on the window's thread.
void OnProgressTick();

// The entries a run processes, in manifest order: kind 1 for a first
// installation, kind 2 once the client is installed.
std::vector<FileEntry> SelectEntries(const std::vector<FileEntry>& needed, bool installed);

// Whether a finished entry is an archive to unpack (kind 1, name ending in ".7z", case-sensitive).
bool IsArchiveToUnpack(const FileEntry& entry);

// Sets the detail line (at most 60 characters and "...").
void SetDetailText(const std::wstring& text);
