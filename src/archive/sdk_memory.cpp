#include "archive/sdk_memory.h"

#include <cstdlib>

namespace archive {
namespace {

void* AllocFromHeap(ISzAllocPtr, size_t size) noexcept {
    // Callers treat null as "out of memory", so a zero-byte request still
    // gets a distinct block.
    return std::malloc(size != 0 ? size : 1);
}

void FreeToHeap(ISzAllocPtr, void* address) noexcept { std::free(address); }

const ISzAlloc kPlainHeap = {AllocFromHeap, FreeToHeap};

}  // namespace

const ISzAlloc& PlainHeapAllocator() noexcept { return kPlainHeap; }

bool SdkBuffer::Allocate(size_t size) noexcept {
    Reset();
    data_ = static_cast<Byte*>(ISzAlloc_Alloc(alloc_, size));
    if (data_ == nullptr) return false;
    size_ = size;
    return true;
}

void SdkBuffer::Reset() noexcept {
    if (data_ != nullptr) ISzAlloc_Free(alloc_, data_);
    data_ = nullptr;
    size_ = 0;
}

}  // namespace archive
