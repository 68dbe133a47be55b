// The sampler against simulated routers that refuse a second session, as the real ones
// do: a bounded pool, staggered starts, one session per router at a time, reloads that keep
// what stays, and a stop that ends sessions in progress.
#include "MonitorTestSupport.h"
#include "RouterSim.h"
#include "monitor/Sampler.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace vexlorin {
namespace {

using monitor::TSample;
using monitor::TSampler;
using monitor::TTarget;
using Clock = std::chrono::steady_clock;

TTarget Target(const std::string& AName, uint16_t APort, std::chrono::milliseconds AInterval) {
    TTarget target;
    target.Name = AName;
    target.Host = "127.0.0.1";
    target.Port = APort;
    target.User = "admin";
    target.Password = "admin";
    target.Interval = AInterval;
    return target;
}

// The real reader, watched: how many sessions run at once, per router and in all.
struct TWatch {
    std::mutex Lock;
    int Active = 0, MaxActive = 0;
    std::map<uint16_t, int> PerRouter;
    int MaxPerRouter = 0;
    std::map<std::string, Clock::time_point> FirstStart;
    std::vector<TSample> Samples;

    monitor::TSampleFunction Function() {
        return [this](const TTarget& ATarget, const std::atomic<bool>& AStop) {
            {
                std::lock_guard lock(Lock);
                MaxActive = std::max(MaxActive, ++Active);
                MaxPerRouter = std::max(MaxPerRouter, ++PerRouter[ATarget.Port]);
                FirstStart.emplace(ATarget.Name, Clock::now());
            }
            TSample sample = monitor::ReadSample(ATarget, AStop);
            std::lock_guard lock(Lock);
            --Active;
            --PerRouter[ATarget.Port];
            Samples.push_back(sample);
            return sample;
        };
    }
    std::size_t Count() {
        std::lock_guard lock(Lock);
        return Samples.size();
    }
};

std::unique_ptr<TRouterSim> StartSim(std::chrono::milliseconds ADelay) {
    TRouterSimOptions options;
    options.RejectSecondConnection = true;
    options.AnswerDelay = ADelay;
    auto sim = std::make_unique<TRouterSim>(options);
    sim->Start();
    return sim;
}

TEST(Sampler, BoundedPoolStaggeredAndNeverTwoSessionsToOneRouter) {
    // Three routers, each named by two targets; four workers for six targets.
    std::vector<std::unique_ptr<TRouterSim>> sims;
    std::vector<TTarget> targets;
    for (int i = 0; i < 3; ++i) {
        sims.push_back(StartSim(std::chrono::milliseconds(5)));
        for (const char* suffix : {"a", "b"})
            targets.push_back(Target("r" + std::to_string(i) + suffix, sims.back()->Port(),
                                     std::chrono::milliseconds(1000)));
    }
    TWatch watch;
    monitor::TSamplerOptions options;
    options.Workers = 4;
    options.StaggerSpread = std::chrono::milliseconds(1000);
    TSampler sampler(watch.Function(), options);
    sampler.SetTargets(targets);
    const auto started = Clock::now();
    sampler.Start();
    ASSERT_TRUE(test::WaitFor([&] { return watch.Count() >= 18; }, std::chrono::seconds(30)));
    sampler.Stop();

    std::lock_guard lock(watch.Lock);
    EXPECT_LE(watch.MaxActive, 4);
    EXPECT_EQ(watch.MaxPerRouter, 1);
    for (const TSample& sample : watch.Samples)
        EXPECT_TRUE(sample.Completed || sample.Ending == reStopped)
            << monitor::EndingKey(sample.Ending) << ": " << sample.Message;
    // The first samples are spread over the second, not started together.
    ASSERT_EQ(watch.FirstStart.size(), 6u);
    Clock::time_point first = Clock::time_point::max(), last = Clock::time_point::min();
    for (const auto& [name, at] : watch.FirstStart) {
        first = std::min(first, at);
        last = std::max(last, at);
    }
    // The last of six is due 5/6 s after the start: it cannot have started before.
    EXPECT_GE(last - started, std::chrono::milliseconds(800));
    EXPECT_LT(first - started, std::chrono::seconds(2));

    const auto stats = sampler.Stats();
    EXPECT_EQ(stats.Targets, 6u);
    EXPECT_EQ(stats.TargetsUp, 6u);
    EXPECT_GE(stats.Samples, 18u);
    EXPECT_EQ(stats.DurationCounts.back(), stats.Samples) << "every session under 60 s";
    uint64_t byEnding = 0;
    for (const uint64_t count : stats.ByEnding)
        byEnding += count;
    EXPECT_EQ(byEnding, stats.Samples);
    for (const auto& status : sampler.Status())
        ASSERT_TRUE(status.Latest) << status.Name;
}

TEST(Sampler, ReloadKeepsWhatStaysAndForgetsWhatWent) {
    auto sim = StartSim(std::chrono::milliseconds(0));
    TWatch watch;
    TSampler sampler(watch.Function(), {2, std::chrono::milliseconds(100)});
    sampler.SetTargets({Target("kept", sim->Port(), std::chrono::seconds(60)),
                        Target("dropped", sim->Port(), std::chrono::seconds(60))});
    EXPECT_EQ(sampler.Probe("kept").State, TSampler::TProbeState::Pending);
    sampler.Start();
    ASSERT_TRUE(test::WaitFor(
        [&] {
            return sampler.Probe("kept").State == TSampler::TProbeState::Ready &&
                   sampler.Probe("dropped").State == TSampler::TProbeState::Ready;
        },
        std::chrono::seconds(10)));
    const auto keptText = sampler.Probe("kept").Text;

    sampler.SetTargets({Target("kept", sim->Port(), std::chrono::seconds(60)),
                        Target("added", sim->Port(), std::chrono::seconds(60))});
    EXPECT_EQ(sampler.Probe("kept").Text, keptText) << "an unchanged target keeps its sample";
    EXPECT_EQ(sampler.Probe("dropped").State, TSampler::TProbeState::Unknown);
    ASSERT_TRUE(
        test::WaitFor([&] { return sampler.Probe("added").State == TSampler::TProbeState::Ready; },
                      std::chrono::seconds(10)));
    EXPECT_EQ(sampler.Stats().Targets, 2u);
    // Still one interval away: the kept target was not sampled again by the reload.
    EXPECT_EQ(sampler.Probe("kept").Text, keptText);
}

TEST(Sampler, StopEndsASessionInProgress) {
    // A console that answers "vdsl status" only after a minute.
    TRouterSimOptions options;
    options.LateAnswer = "vdsl status";
    options.LateAfter = std::chrono::milliseconds(60000);
    TRouterSim sim(options);
    sim.Start();
    TWatch watch;
    TSampler sampler(watch.Function(), {1, std::chrono::milliseconds(0)});
    sampler.SetTargets({Target("slow", sim.Port(), std::chrono::seconds(60))});
    sampler.Start();
    ASSERT_TRUE(test::WaitFor(
        [&] {
            const auto status = sampler.Status();
            return status.size() == 1 && status[0].Running;
        },
        std::chrono::seconds(5)));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto stopAt = Clock::now();
    sampler.Stop();
    EXPECT_LT(Clock::now() - stopAt, std::chrono::seconds(3));
    ASSERT_EQ(watch.Count(), 1u);
    EXPECT_EQ(watch.Samples[0].Ending, reStopped);
}

} // namespace
} // namespace vexlorin
