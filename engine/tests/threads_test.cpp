#include "threads.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <numeric>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// Every index once, each on a lane below the jobs; the failure raised is the
// lowest index's, after every other index ran.
TEST(Threads, ForEachIndexTakesEveryIndexOnceAndRaisesTheLowestFailure) {
    for (const unsigned jobs : {1u, 2u, 5u}) {
        for (const std::size_t count : {std::size_t{0}, std::size_t{1}, std::size_t{3}, std::size_t{1000}}) {
            std::vector<std::atomic<int>> calls(count);
            std::atomic<bool> laneBelowJobs{true};
            const auto body = [&](std::size_t i, unsigned lane) {
                ++calls[i];
                if (lane >= jobs) laneBelowJobs = false;
                if (i % 7 == 3) throw std::runtime_error(std::to_string(i));
            };
            std::string raised;
            try {
                ForEachIndex(count, jobs, body);
            } catch (const std::runtime_error& error) {
                raised = error.what();
            }
            EXPECT_EQ(raised, count > 3 ? "3" : "") << jobs << " jobs, " << count;
            for (std::size_t i = 0; i < count; ++i) EXPECT_EQ(calls[i], 1) << i;
            EXPECT_TRUE(laneBelowJobs);
        }
    }
}

// Items come out in order, on the calling thread, never made more than the
// slots ahead of the one handed over; a failed make ends the work at its turn,
// a failed hand-over at once.
TEST(Threads, HandOverInOrderKeepsOrderAndBoundsAndEndsAtTheFailure) {
    // The item whose make fails and the one whose hand-over fails, kCount for none.
    constexpr std::size_t kCount = 500;
    const std::pair<std::size_t, std::size_t> cases[] = {{kCount, kCount}, {0, kCount}, {123, kCount}, {kCount, 40}};
    for (const unsigned jobs : {1u, 3u}) {
        for (const std::size_t slots : {std::size_t{1}, std::size_t{4}}) {
            for (const auto& c : cases) {
                std::vector<std::size_t> slotItem(slots);
                std::vector<std::size_t> handed;
                std::atomic<std::size_t> handedCount{0};
                std::atomic<bool> withinSlots{true};  // and handed over on the calling thread
                const auto make = [&](std::size_t item, std::size_t slot) {
                    if (item >= handedCount + slots) withinSlots = false;
                    if (item == c.first) throw std::runtime_error("make");
                    // Some items take long, so that others are made meanwhile.
                    if (item % 5 == 0) std::this_thread::sleep_for(std::chrono::microseconds(20));
                    slotItem[slot] = item;
                };
                const auto handOver = [&, caller = std::this_thread::get_id()](std::size_t item, std::size_t slot) {
                    if (std::this_thread::get_id() != caller) withinSlots = false;
                    if (item == c.second) throw std::runtime_error("hand-over");
                    handed.push_back(slotItem[slot] == item ? item : kCount + item);
                    ++handedCount;
                };
                std::string raised;
                try {
                    HandOverInOrder(kCount, jobs, slots, make, handOver);
                } catch (const std::runtime_error& error) {
                    raised = error.what();
                }
                SCOPED_TRACE(std::to_string(jobs) + " jobs, " + std::to_string(slots) + " slots");
                std::vector<std::size_t> expected(std::min(c.first, c.second));
                std::iota(expected.begin(), expected.end(), std::size_t{0});
                EXPECT_EQ(handed, expected);
                EXPECT_TRUE(withinSlots);
                EXPECT_EQ(raised, c.first < kCount ? "make" : c.second < kCount ? "hand-over" : "");
            }
        }
    }
}

TEST(Threads, OwnThreadRunsUntilItReturnsAndJoinRaisesItsFailure) {
    std::atomic<int> ran{0};
    {
        TOwnThread thread([&] { ++ran; });
    }
    EXPECT_EQ(ran, 1);
    TOwnThread failing([] { throw std::runtime_error("run"); });
    EXPECT_THROW(failing.Join(), std::runtime_error);
    EXPECT_NO_THROW(failing.Join());
}
