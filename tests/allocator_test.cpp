// The container allocator: pooled nodes, and the one way it fails.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <thread>
#include <vector>

#include "framework/allocator.h"
#include "tests/support/testsupport.h"

TEST(ContainerAllocation, NodesOfEverySizeClassAreDistinctAndWritable) {
    // 1..200 bytes covers every pooled size class and the heap path beyond it.
    std::vector<std::pair<unsigned char*, std::size_t>> blocks;
    for (std::size_t size = 1; size <= 200; ++size) {
        auto* block = static_cast<unsigned char*>(PoolAllocate(size));
        ASSERT_NE(block, nullptr) << "size " << size;
        std::memset(block, static_cast<int>(size), size);
        blocks.emplace_back(block, size);
    }
    for (auto& [block, size] : blocks)
        for (std::size_t i = 0; i < size; ++i)
            ASSERT_EQ(block[i], static_cast<unsigned char>(size)) << "block of " << size << " overwritten at " << i;
    for (auto& [block, size] : blocks) PoolFree(block, size);
}

TEST(ContainerAllocation, FreedNodeIsReusedForTheSameSizeClass) {
    void* first = PoolAllocate(40);
    PoolFree(first, 40);
    // 33..40 bytes share one class, so the node just freed comes back.
    void* second = PoolAllocate(33);
    EXPECT_EQ(second, first);
    PoolFree(second, 33);
}

TEST(ContainerAllocation, ContainersWorkFromTwoThreadsAtOnce) {
    auto work = [](int seed) {
        FList<int> list;
        FMap<int, int> map;
        for (int i = 0; i < 20000; ++i) {
            list.push_back(i ^ seed);
            map[i % 997] = i;
            if (i % 3 == 0) list.pop_front();
        }
        return list.size() + map.size();
    };
    std::size_t a = 0, b = 0;
    std::thread worker([&] { a = work(1); });
    b = work(2);
    worker.join();
    EXPECT_EQ(a, b);
    EXPECT_EQ(a, 20000u - 6667u + 997u);
}

// A container request the heap cannot satisfy.
PEBBLORA_CHILD(ExhaustMemory) {
    FAllocator<char> allocator;
    char* block = allocator.allocate(static_cast<std::size_t>(1) << 62);
    // Reaching here means the failure was not reported.
    return block ? 3 : 4;
}

TEST(ContainerAllocation, FailureShowsOutOfMemoryOnceAndEndsWithCodeOne) {
    ChildProcess child;
    ASSERT_TRUE(StartChild("ExhaustMemory", L"", child));
    BoxSeen box;
    ASSERT_TRUE(AnswerBoxOfProcess(child.id, 20000, box)) << "no box appeared";
    EXPECT_EQ(box.text, L"out of memory");
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(child.Wait(20000), 1);
    // The box was the only one: the process is gone, so nothing else is open.
    BoxSeen second;
    EXPECT_FALSE(AnswerBoxOfProcess(child.id, 300, second)) << "second box: " << Narrow(second.text);
}
