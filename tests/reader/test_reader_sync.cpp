// The two hand-over primitives of the reader: the manual-reset event and the plain
// notification queue.
#include "reader/Notifier.h"
#include "reader/TEvent.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace vexlorin {
namespace {

using namespace std::chrono_literals;

TEST(TEvent, StaysSetUntilResetAndWakesAWaiterFromAnotherThread) {
    TEvent Event(false);
    EXPECT_EQ(Event.WaitFor(1ms), TEvent::wrTimeout);

    // A set before the wait is not lost, and it stays set for the next wait too.
    Event.SetEvent();
    EXPECT_EQ(Event.WaitFor(0ms), TEvent::wrSignaled);
    EXPECT_EQ(Event.WaitFor(0ms), TEvent::wrSignaled);
    Event.ResetEvent();
    EXPECT_EQ(Event.WaitFor(1ms), TEvent::wrTimeout);

    std::thread Setter([&] { Event.SetEvent(); });
    EXPECT_EQ(Event.WaitFor(60s), TEvent::wrSignaled);
    Setter.join();
}

TEST(TQueueNotifier, RunsInPostingOrderOnTheDrainingThread) {
    TQueueNotifier Notifier;
    std::vector<std::string> Ran;
    const auto Drainer = std::this_thread::get_id();
    constexpr int PerThread = 500;
    auto Post = [&](char AName) {
        for (int I = 0; I < PerThread; ++I)
            Notifier.Queue([&, AName, I] {
                EXPECT_EQ(std::this_thread::get_id(), Drainer);
                Ran.push_back(AName + std::to_string(I));
            });
    };
    std::thread A(Post, 'a'), B(Post, 'b');
    ASSERT_TRUE(Notifier.WaitAndRunUntil([&] { return Ran.size() == 2 * PerThread; }, 60s));
    A.join();
    B.join();
    // Each poster's procedures ran in the order it posted them.
    int NextA = 0, NextB = 0;
    for (const auto& Entry : Ran)
        EXPECT_EQ(std::stoi(Entry.substr(1)), Entry[0] == 'a' ? NextA++ : NextB++);
    EXPECT_EQ(Notifier.Pending(), 0u);
}

TEST(TQueueNotifier, RunPendingLeavesWhatTheProceduresQueueForLater) {
    TQueueNotifier Notifier;
    int Runs = 0;
    Notifier.Queue([&] {
        ++Runs;
        Notifier.Queue([&] { ++Runs; });
    });
    EXPECT_EQ(Notifier.RunPending(), 1u);
    EXPECT_EQ(Runs, 1);
    EXPECT_EQ(Notifier.Pending(), 1u);
    EXPECT_EQ(Notifier.RunPending(), 1u);
    EXPECT_EQ(Runs, 2);
    EXPECT_FALSE(Notifier.WaitAndRunUntil([] { return false; }, 10ms));
}

} // namespace
} // namespace vexlorin
