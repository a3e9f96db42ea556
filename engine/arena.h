// Arena: where a manager places its node and port objects, one after the other in creation
// order, from which the evaluation order is derived: a settle then moves through a few dense
// megabytes instead of objects scattered across the heap between names and tables.
// Objects are destroyed by their owners; the memory goes back only with the arena.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <new>
#include <vector>

namespace Sim {

class Arena {
public:
    // Room for an object of that size at the given alignment (a power of two, at most 64).
    void* Allocate(size_t size, size_t align)
    {
        size_t skip = (align - reinterpret_cast<size_t>(next) % align) % align;
        if (size > kFirstBlockBytes / 4)  // a rare large object gets a block of its own
            return NewBlock(size);
        if (skip + size > left) {
            // Blocks grow from 64 KB, so small designs stay small, to 2 MB on large ones.
            left = blocks.empty() ? kFirstBlockBytes : std::min(2 * last_block, kHugeBytes);
            last_block = left;
            next = static_cast<std::byte*>(NewBlock(left));
            skip = 0;
        }
        void* place = next + skip;
        next += skip + size;
        left -= skip + size;
        return place;
    }

private:
    static constexpr size_t kFirstBlockBytes = size_t(1) << 16;
    // Blocks of this size are aligned to it and offered to the kernel as huge pages: a large
    // design then needs a few address translations instead of one per 4 KB page, which the
    // evaluation loop would otherwise wait on.
    static constexpr size_t kHugeBytes = size_t(1) << 21;

    struct Release {
        size_t align;
        void operator()(std::byte* block) const { ::operator delete[](block, std::align_val_t(align)); }
    };

    void* NewBlock(size_t bytes);

    std::vector<std::unique_ptr<std::byte, Release>> blocks;
    std::byte* next = nullptr;
    size_t left = 0;
    size_t last_block = 0;
};

}  // namespace Sim
