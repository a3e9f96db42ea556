// Arena: where a manager places its node and port objects, one after the other in creation
// order, from which the evaluation order is derived: a settle then moves through a few dense
// megabytes instead of objects scattered across the heap between names and tables.
// Objects are destroyed by their owners; the memory goes back only with the arena.
#pragma once

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
        if (size > kBlockBytes / 4)  // a rare large object gets a block of its own
            return NewBlock(size);
        if (skip + size > left) {
            next = static_cast<std::byte*>(NewBlock(kBlockBytes));
            left = kBlockBytes;
            skip = 0;
        }
        void* place = next + skip;
        next += skip + size;
        left -= skip + size;
        return place;
    }

private:
    static constexpr size_t kBlockAlign = 64;
    static constexpr size_t kBlockBytes = size_t(1) << 18;

    struct Release {
        void operator()(std::byte* block) const { ::operator delete[](block, std::align_val_t(kBlockAlign)); }
    };

    void* NewBlock(size_t bytes)
    {
        auto* block = static_cast<std::byte*>(::operator new[](bytes, std::align_val_t(kBlockAlign)));
        blocks.emplace_back(block);
        return block;
    }

    std::vector<std::unique_ptr<std::byte, Release>> blocks;
    std::byte* next = nullptr;
    size_t left = 0;
};

}  // namespace Sim
