// NodeArena: where a manager places its node objects, one after the other in creation order.
// Creation order is close to evaluation order, so a settle streams through a few dense
// megabytes instead of nodes scattered between their ports, names and tables across the
// heap. Objects are destroyed by their manager; the memory goes back only with the arena.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <vector>

namespace Sim {

class NodeArena {
public:
    // Room for an object of that size, aligned to a cache line.
    void* Allocate(size_t size)
    {
        size = (size + kAlign - 1) & ~(kAlign - 1);
        if (size > kBlockBytes / 4)  // a rare large object gets a block of its own
            return NewBlock(size);
        if (size > left) {
            next = static_cast<std::byte*>(NewBlock(kBlockBytes));
            left = kBlockBytes;
        }
        void* place = next;
        next += size;
        left -= size;
        return place;
    }

private:
    static constexpr size_t kAlign = 64;
    static constexpr size_t kBlockBytes = size_t(1) << 18;

    struct Release {
        void operator()(std::byte* block) const { ::operator delete[](block, std::align_val_t(kAlign)); }
    };

    void* NewBlock(size_t bytes)
    {
        auto* block = static_cast<std::byte*>(::operator new[](bytes, std::align_val_t(kAlign)));
        blocks.emplace_back(block);
        return block;
    }

    std::vector<std::unique_ptr<std::byte, Release>> blocks;
    std::byte* next = nullptr;
    size_t left = 0;
};

}  // namespace Sim
