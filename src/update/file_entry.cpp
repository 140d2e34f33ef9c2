#include "update/file_entry.h"

#include <utility>

#include "config/text.h"

FileEntry::FileEntry(std::wstring name, std::wstring hash, int64_t size, int32_t kind)
    : name(std::move(name)), hash(std::move(hash)), size(size), kind(kind) {}

FileEntry::FileEntry(const FileEntry& other)
    : name(other.name),
      hash(other.hash),
      size(other.size),
      received(other.received.load()),
      kind(other.kind),
      resolved(other.resolved),
      url(other.url),
      localPath(other.localPath) {}

FileEntry& FileEntry::operator=(const FileEntry& other) {
    if (this != &other) {
        name = other.name;
        hash = other.hash;
        size = other.size;
        received.store(other.received.load());
        kind = other.kind;
        resolved = other.resolved;
        url = other.url;
        localPath = other.localPath;
    }
    return *this;
}

std::wstring FileEntry::ToString() const {
    return L"{name:" + name + L", hash:" + hash + L", size:" + IntToText(size) + L"}";
}
