// The pooled container allocator and the one way it can fail.
#include "framework/allocator.h"

#include <windows.h>

#include <cstdlib>

namespace {

constexpr std::size_t kGranule = 8;
constexpr std::size_t kLargestPooled = 128;
constexpr std::size_t kClassCount = kLargestPooled / kGranule;
constexpr std::size_t kChunkBytes = 16 * 1024;

struct FreeNode {
    FreeNode* next;
};

// Per-size free lists. Reached from the user-interface thread and from the
// file-operation worker, so every access holds the lock.
struct Pool {
    SRWLOCK lock = SRWLOCK_INIT;
    FreeNode* freeLists[kClassCount] = {};
    char* chunkCursor = nullptr;
    std::size_t chunkLeft = 0;
};

Pool& ThePool() {
    // Never destroyed: containers of static objects give nodes back after
    // every other destructor has run.
    static Pool* pool = new Pool;
    return *pool;
}

std::size_t SizeClass(std::size_t bytes) { return (bytes + kGranule - 1) / kGranule - 1; }

void* HeapAllocate(std::size_t bytes) {
    void* block = std::malloc(bytes ? bytes : 1);
    if (!block) OutOfMemory();
    return block;
}

// Cuts a node of the class's size from the current chunk, starting a new
// chunk when the current one is used up. Called with the lock held.
void* CarveNode(Pool& pool, std::size_t nodeBytes) {
    if (pool.chunkLeft < nodeBytes) {
        // The rest of the old chunk is smaller than this node; it is simply
        // left unused, which costs at most 120 bytes per chunk.
        pool.chunkCursor = static_cast<char*>(HeapAllocate(kChunkBytes));
        pool.chunkLeft = kChunkBytes;
    }
    void* node = pool.chunkCursor;
    pool.chunkCursor += nodeBytes;
    pool.chunkLeft -= nodeBytes;
    return node;
}

}  // namespace

[[noreturn]] void OutOfMemory() {
    static LONG shown = 0;
    if (InterlockedExchange(&shown, 1) == 0) {
        MessageBoxW(nullptr, L"out of memory", nullptr, MB_OK);
        ExitProcess(1);
    }
    // Another thread is already showing the box; it ends the process.
    for (;;) Sleep(INFINITE);
}

void* PoolAllocate(std::size_t bytes) {
    if (bytes == 0 || bytes > kLargestPooled) return HeapAllocate(bytes);
    Pool& pool = ThePool();
    std::size_t cls = SizeClass(bytes);
    AcquireSRWLockExclusive(&pool.lock);
    void* node;
    if (FreeNode* head = pool.freeLists[cls]) {
        pool.freeLists[cls] = head->next;
        node = head;
    } else {
        node = CarveNode(pool, (cls + 1) * kGranule);
    }
    ReleaseSRWLockExclusive(&pool.lock);
    return node;
}

void PoolFree(void* block, std::size_t bytes) noexcept {
    if (!block) return;
    if (bytes == 0 || bytes > kLargestPooled) {
        std::free(block);
        return;
    }
    Pool& pool = ThePool();
    auto* node = static_cast<FreeNode*>(block);
    AcquireSRWLockExclusive(&pool.lock);
    FreeNode*& head = pool.freeLists[SizeClass(bytes)];
    node->next = head;
    head = node;
    ReleaseSRWLockExclusive(&pool.lock);
}
