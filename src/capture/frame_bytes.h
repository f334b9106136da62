#pragma once
// The byte buffers that hold one frame (the slot's store, the stream object's copy
// buffer): width x height x 4 bytes, allocated at stream open. A compressed frame fills a
// few hundred kilobytes of the 15 MB that a 3520 x 1104 stream gets, so a large buffer
// is mapped straight from the system, whose pages are zero and take no memory until a
// frame is written into them; a resize does not write its new bytes either.
#include <sys/mman.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <utility>
#include <vector>

template <typename T>
struct UntouchedPagesAllocator {
    using value_type = T;
    // Below this a buffer comes from the heap, zeroed.
    static constexpr size_t kMappedFrom = size_t(1) << 16;

    UntouchedPagesAllocator() = default;
    template <typename U>
    UntouchedPagesAllocator(const UntouchedPagesAllocator<U>&) {}

    T* allocate(size_t count) {
        const size_t bytes = count * sizeof(T);
        if (bytes < kMappedFrom) {
            if (void* block = std::calloc(count, sizeof(T)))
                return static_cast<T*>(block);
            throw std::bad_alloc();
        }
        void* pages = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (pages == MAP_FAILED)
            throw std::bad_alloc();
        return static_cast<T*>(pages);
    }
    void deallocate(T* block, size_t count) {
        const size_t bytes = count * sizeof(T);
        if (bytes < kMappedFrom)
            std::free(block);
        else
            munmap(block, bytes);
    }
    // A new element is left as the allocation made it: zero, and unwritten.
    template <typename U>
    void construct(U* element) {
        ::new (static_cast<void*>(element)) U;
    }
    template <typename U, typename... Args>
    void construct(U* element, Args&&... args) {
        ::new (static_cast<void*>(element)) U(std::forward<Args>(args)...);
    }
    template <typename U>
    bool operator==(const UntouchedPagesAllocator<U>&) const {
        return true;
    }
    template <typename U>
    bool operator!=(const UntouchedPagesAllocator<U>&) const {
        return false;
    }
};

using FrameBytes = std::vector<uint8_t, UntouchedPagesAllocator<uint8_t>>;

// A buffer of `size` zero bytes, freshly allocated (a frame store or copy buffer at open).
inline FrameBytes zeroedFrameBytes(size_t size) {
    FrameBytes bytes;
    bytes.resize(size);
    return bytes;
}
