#pragma once
// Memory for the 7z decoder: the plain heap allocator it is given, and an
// owner for the buffers it hands back through an allocator.
#include <cstddef>

#include "7zTypes.h"

namespace archive {

// malloc/free behind the decoder's allocator interface. Its functions never
// throw: the decoder is C and cannot unwind.
const ISzAlloc& PlainHeapAllocator() noexcept;

// A block taken from an ISzAlloc and given back to the same one.
class SdkBuffer {
public:
    explicit SdkBuffer(const ISzAlloc& alloc) noexcept : alloc_(&alloc) {}
    ~SdkBuffer() { Reset(); }
    SdkBuffer(const SdkBuffer&) = delete;
    SdkBuffer& operator=(const SdkBuffer&) = delete;

    // Replaces the block by one of at least `size` bytes; false (and no block)
    // when the allocator has none.
    bool Allocate(size_t size) noexcept;
    void Reset() noexcept;

    Byte* Get() const noexcept { return data_; }
    size_t Size() const noexcept { return size_; }
    // For the decoder's cache, which swaps the block itself: these two fields
    // must only ever hold a block of this allocator.
    Byte** PutBytes() noexcept { return &data_; }
    size_t* PutSize() noexcept { return &size_; }

private:
    const ISzAlloc* alloc_;
    Byte* data_ = nullptr;
    size_t size_ = 0;
};

}  // namespace archive
