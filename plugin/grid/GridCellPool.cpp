#include "GridCellPool.h"

#include <windows.h>

#include <cstdint>
#include <new>

#include "framework/Lock.h"

namespace {

// Small enough that a few cells kept from an old listing hold little.
constexpr size_t kBlockSize = 16 * 1024;
// Cells hold pointers, integers and handles, none aligned to more.
constexpr size_t kAlignment = 8;

struct Block {
    size_t live;  // cells not released yet
    char* next;  // the room not handed out yet starts here
    bool current;  // new cells come from it
    Block* spare;  // the next empty block kept for later
};

// Before each cell: its block, or null for a cell too large for one.
struct Header {
    Block* block;
};

constexpr size_t RoundUp(size_t size)
{
    return (size + kAlignment - 1) / kAlignment * kAlignment;
}

constexpr size_t kHeaderSize = RoundUp(sizeof(Header));

char* FirstCell(Block* block)
{
    const auto after = reinterpret_cast<uintptr_t>(block + 1);
    return reinterpret_cast<char*>(RoundUp(after));
}

char* EndOf(Block* block)
{
    return reinterpret_cast<char*>(block) + kBlockSize;
}

// A program may have grids on several threads, each on the thread of its window.
class Pool {
public:
    Pool() = default;
    // Never destroyed: cells of static objects may go after it would.
    Pool(const Pool&) = delete;
    Pool& operator=(const Pool&) = delete;

    void* Allocate(size_t size)
    {
        const size_t needed = kHeaderSize + RoundUp(size);
        if (needed > kBlockSize / 4)
            return Place(static_cast<char*>(::operator new(needed)), nullptr);
        fw::Locked locked(m_lock);
        if (!m_current || static_cast<size_t>(EndOf(m_current) - m_current->next) < needed) {
            Block* block = m_spare;
            if (block)
                m_spare = block->spare;
            else
                block = static_cast<Block*>(::operator new(kBlockSize));  // throws: the old block stays current
            *block = Block{0, nullptr, true, nullptr};
            block->next = FirstCell(block);
            Retire();
            m_current = block;
        }
        char* at = m_current->next;
        m_current->next += needed;
        ++m_current->live;
        return Place(at, m_current);
    }

    void Release(void* memory) noexcept
    {
        Header* header = reinterpret_cast<Header*>(static_cast<char*>(memory) - kHeaderSize);
        Block* block = header->block;
        if (!block) {
            ::operator delete(header);
            return;
        }
        fw::Locked locked(m_lock);
        if (--block->live > 0)
            return;
        if (block->current)
            block->next = FirstCell(block);  // empty again: its room is handed out anew
        else
            Drop(block);
    }

    void Keep() noexcept
    {
        fw::Locked locked(m_lock);
        ++m_keepers;
    }

    void StopKeeping()
    {
        fw::Locked locked(m_lock);
        if (--m_keepers > 0)
            return;
        while (Block* block = m_spare) {
            m_spare = block->spare;
            ::operator delete(block);
        }
    }

private:
    static void* Place(char* at, Block* block)
    {
        reinterpret_cast<Header*>(at)->block = block;
        return at + kHeaderSize;
    }

    // The full block goes with its last cell; an empty one at once.
    void Retire()
    {
        if (!m_current)
            return;
        m_current->current = false;
        if (m_current->live == 0)
            Drop(m_current);
        m_current = nullptr;
    }

    void Drop(Block* block)
    {
        if (m_keepers == 0) {
            ::operator delete(block);
            return;
        }
        block->spare = m_spare;
        m_spare = block;
    }

    fw::CriticalSection m_lock;
    Block* m_current = nullptr;
    Block* m_spare = nullptr;  // empty blocks kept while someone keeps them
    int m_keepers = 0;
};

Pool& ThePool()
{
    alignas(Pool) static unsigned char storage[sizeof(Pool)];
    static Pool* pool = new (storage) Pool;
    return *pool;
}

}  // namespace

void* GridCellPool::Allocate(size_t size)
{
    return ThePool().Allocate(size);
}

void GridCellPool::Release(void* memory) noexcept
{
    if (memory)
        ThePool().Release(memory);
}

GridCellPool::KeepBlocks::KeepBlocks() noexcept
{
    ThePool().Keep();
}

GridCellPool::KeepBlocks::~KeepBlocks()
{
    ThePool().StopKeeping();
}
