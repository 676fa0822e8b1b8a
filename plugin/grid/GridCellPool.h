#pragma once
// Memory for cells. A listing makes and drops cells by the ten thousand;
// taken one by one from the heap, each costs an allocation and a release,
// and they end up scattered. The pool hands them out from blocks in the
// order they are made and gives a block back to the heap when its last cell
// goes. The room of a single released cell is not handed out again, so the
// cells a grid makes together stay together; a few cells kept from an old
// listing keep their block.

#include <cstddef>

namespace GridCellPool {

// Throws std::bad_alloc when the heap has no room for a new block.
void* Allocate(size_t size);
void Release(void* memory) noexcept;

// While one lives, blocks that empty stay with the pool for the cells made
// next, as when a listing drops its rows to make new ones. Handed back, the
// heap may give their pages up and take fresh ones for the new cells, which
// costs more than making the cells. The last one to go hands back the blocks
// left over.
class KeepBlocks {
public:
    KeepBlocks() noexcept;
    ~KeepBlocks();
    KeepBlocks(const KeepBlocks&) = delete;
    KeepBlocks& operator=(const KeepBlocks&) = delete;
};

}  // namespace GridCellPool
