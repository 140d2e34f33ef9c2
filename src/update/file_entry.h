#pragma once
// One line of the resource manifest with its download state.
#include <atomic>
#include <cstdint>
#include <string>

struct FileEntry {
    std::wstring name;  // below the client root folder; backslashes separate folders
    std::wstring hash;  // MD5 hex digits as the manifest lists them
    int64_t size = 0;   // from the manifest, for progress totals only
    // Bytes of the running download: written by the download, read by the
    // progress timer on another thread.
    std::atomic<int64_t> received{0};
    int32_t kind = 2;  // 1: first installation, 2: installed client
    bool resolved = false;
    std::wstring url;
    std::wstring localPath;

    FileEntry() = default;
    FileEntry(std::wstring name, std::wstring hash, int64_t size, int32_t kind);

    // Entries are copied into lists by value; the counter's value goes along.
    FileEntry(const FileEntry& other);
    FileEntry& operator=(const FileEntry& other);

    // {name:<name>, hash:<hash>, size:<size in full decimal>}
    std::wstring ToString() const;
};
