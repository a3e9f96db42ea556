// Arena blocks: cache-line aligned, and huge-page aligned and advised from 2 MB up.
#include "engine/arena.h"

#include <sys/mman.h>

namespace Sim {

void* Arena::NewBlock(size_t bytes)
{
    const size_t align = bytes >= kHugeBytes ? kHugeBytes : 64;
    auto* block = static_cast<std::byte*>(::operator new[](bytes, std::align_val_t(align)));
    blocks.emplace_back(block, Release{align});
    if (align == kHugeBytes)
        madvise(block, bytes - bytes % kHugeBytes, MADV_HUGEPAGE);  // a hint: failure changes nothing
    return block;
}

}  // namespace Sim
