// Container allocation for the framework's lists, maps and hash tables.
//
// Small nodes (up to 128 bytes) come from per-size free lists refilled from
// large heap blocks; larger requests go straight to the heap. Freed nodes go
// back to their free list and stay there for the life of the process.
//
// Running out of memory is not recoverable: a failed heap request shows the
// "out of memory" box and ends the process with exit code 1. So allocate()
// never returns null and never throws.
//
// This header is free of <windows.h> so that the INI reader and the rules
// engine may use the containers.
#pragma once

#include <cstddef>
#include <list>
#include <map>
#include <new>
#include <string>
#include <unordered_map>

// Shows the out-of-memory box and ends the process with exit code 1.
[[noreturn]] void OutOfMemory();

// Raw storage of at least `bytes` bytes from the pool (or the heap when larger
// than the pool's largest size class). Never returns null.
void* PoolAllocate(std::size_t bytes);
// Gives back storage obtained from PoolAllocate with the same byte count.
void PoolFree(void* block, std::size_t bytes) noexcept;

// Standard allocator over the pool. Stateless: all instances compare equal.
template <class T>
struct FAllocator {
    using value_type = T;

    FAllocator() noexcept = default;
    template <class U>
    FAllocator(const FAllocator<U>&) noexcept {}

    T* allocate(std::size_t n) {
        if (n > static_cast<std::size_t>(-1) / sizeof(T)) OutOfMemory();
        return static_cast<T*>(PoolAllocate(n * sizeof(T)));
    }
    void deallocate(T* p, std::size_t n) noexcept { PoolFree(p, n * sizeof(T)); }

    template <class U>
    bool operator==(const FAllocator<U>&) const noexcept { return true; }
};

template <class T>
using FList = std::list<T, FAllocator<T>>;

template <class K, class V, class Less = std::less<K>>
using FMap = std::map<K, V, Less, FAllocator<std::pair<const K, V>>>;

template <class K, class V, class Hash = std::hash<K>, class Eq = std::equal_to<K>>
using FHashMap = std::unordered_map<K, V, Hash, Eq, FAllocator<std::pair<const K, V>>>;
