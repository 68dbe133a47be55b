// The history charts' computations against direct computations over the same data.
#include "model/ToneHistory.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <stdexcept>

namespace vexlorin {
namespace {

TDrayBinArray RandomBins(std::mt19937& ARandom, int ATones) {
    TDrayBinArray bins{};
    std::uniform_int_distribution<int> snr(-5, 60), bits(0, 15);
    for (int tone = 0; tone < ATones; ++tone) {
        auto& entry = bins[static_cast<std::size_t>(tone)];
        entry.Bin = static_cast<uint16_t>(tone);
        entry.SNR = static_cast<int16_t>(snr(ARandom));
        entry.ToneBits = static_cast<int8_t>(bits(ARandom));
    }
    return bins;
}

TEST(ToneEnvelope, MinMeanMaxPerToneAsComputedDirectly) {
    for (TToneQuantity quantity : {TToneQuantity::SNR, TToneQuantity::Bits}) {
        std::mt19937 random(7);
        constexpr int tones = 300;
        std::vector<TDrayBinArray> sets;
        for (int i = 0; i < 25; ++i)
            sets.push_back(RandomBins(random, tones + 10));
        // A tone that collapses in a few sets, as at night.
        for (int i : {3, 4, 5})
            sets[static_cast<std::size_t>(i)][120].SNR = -20;

        TToneEnvelope envelope(tones, quantity);
        for (const auto& bins : sets)
            envelope.Add(bins);
        ASSERT_EQ(envelope.Sets(), 25);
        for (int tone = 0; tone < tones; ++tone) {
            double low = INFINITY, high = -INFINITY, sum = 0;
            for (const auto& bins : sets) {
                const auto& entry = bins[static_cast<std::size_t>(tone)];
                const double v = quantity == TToneQuantity::SNR ? entry.SNR : entry.ToneBits;
                low = std::min(low, v);
                high = std::max(high, v);
                sum += v;
            }
            EXPECT_EQ(envelope.Minimum(tone), low) << tone;
            EXPECT_EQ(envelope.Maximum(tone), high) << tone;
            EXPECT_DOUBLE_EQ(envelope.Mean(tone), sum / 25) << tone;
        }
        if (quantity == TToneQuantity::SNR) {
            EXPECT_EQ(envelope.Minimum(120), -20);
        }
        // Tones beyond the envelope's have no value.
        EXPECT_TRUE(std::isnan(envelope.Minimum(tones)));
    }
}

TEST(ToneEnvelope, NoSetNoValue) {
    TToneEnvelope envelope(10, TToneQuantity::SNR);
    EXPECT_TRUE(std::isnan(envelope.Minimum(0)));
    EXPECT_TRUE(std::isnan(envelope.Mean(0)));
    EXPECT_TRUE(std::isnan(envelope.Maximum(9)));
}

TEST(Waterfall, EachCellIsTheMeanOfItsSetsAndTones) {
    std::mt19937 random(11);
    constexpr int tones = 100;
    constexpr double from = 1'000'000, to = from + 99'000; // 100 s, sets every second
    std::vector<std::pair<double, TDrayBinArray>> sets;
    for (int i = 0; i < 100; ++i)
        if (i < 40 || i >= 60) // no sets for 20 s: rows of no value
            sets.emplace_back(from + i * 1000.0, RandomBins(random, tones));

    TWaterfallBuilder builder(from, to, tones, TToneQuantity::SNR, 10, 30);
    // Out of order and outside the range: taken by time, or not at all.
    for (auto it = sets.rbegin(); it != sets.rend(); ++it)
        builder.Add(it->first, it->second);
    builder.Add(to + 1, sets.front().second);
    const TWaterfallGrid grid = builder.Take();
    ASSERT_EQ(grid.Rows, 10);
    ASSERT_EQ(grid.Columns, 30);
    EXPECT_EQ(grid.Sets, 80);

    for (int row = 0; row < grid.Rows; ++row)
        for (int column = 0; column < grid.Columns; ++column) {
            double sum = 0;
            int count = 0;
            for (const auto& [time, bins] : sets)
                for (int tone = 0; tone < tones; ++tone)
                    if (grid.RowOf(time) == row && grid.ColumnOf(tone) == column) {
                        sum += bins[static_cast<std::size_t>(tone)].SNR;
                        ++count;
                    }
            if (count == 0)
                EXPECT_TRUE(std::isnan(grid.At(row, column))) << row << "," << column;
            else
                EXPECT_DOUBLE_EQ(grid.At(row, column), sum / count) << row << "," << column;
        }
    // The 20 s without sets are two rows of no value; every column is covered.
    EXPECT_TRUE(std::isnan(grid.At(4, 0)));
    EXPECT_TRUE(std::isnan(grid.At(5, 29)));
    EXPECT_FALSE(std::isnan(grid.At(3, 29)));
    EXPECT_EQ(grid.ColumnOf(0), 0);
    EXPECT_EQ(grid.ColumnOf(tones - 1), 29);
    EXPECT_EQ(grid.RowOf(to), 9);
    EXPECT_EQ(grid.RowOf(from - 1), -1);
}

TEST(Waterfall, NoMoreCellsThanSetsAndTones) {
    TWaterfallBuilder builder(0, 3000, 20, TToneQuantity::Bits, 600, 1000, 3);
    TDrayBinArray bins{};
    bins[5].ToneBits = 9;
    builder.Add(0, bins);
    const TWaterfallGrid grid = builder.Take();
    EXPECT_EQ(grid.Rows, 3);
    EXPECT_EQ(grid.Columns, 20);
    EXPECT_EQ(grid.At(0, 5), 9);
    EXPECT_TRUE(std::isnan(grid.At(2, 5)));
}

// Sets split among several envelopes and waterfalls and merged give what one of each gets
// from all the sets; an empty share changes nothing; other tones or cells are refused.
TEST(ToneViewsMerge, SharesMergedAreAsAllSetsAddedToOne) {
    std::mt19937 random(5);
    constexpr int tones = 200;
    constexpr double from = 0, to = 59'000;
    std::vector<std::pair<double, TDrayBinArray>> sets;
    for (int i = 0; i < 60; ++i)
        sets.emplace_back(i * 1000.0, RandomBins(random, tones));
    TToneEnvelope whole(tones, TToneQuantity::SNR);
    TWaterfallBuilder wholeMap(from, to, tones, TToneQuantity::SNR, 12, 50);
    for (const auto& [time, bins] : sets) {
        whole.Add(bins);
        wholeMap.Add(time, bins);
    }
    // Shares of 0, 17, 30 and 13 sets; the first is empty.
    const std::size_t bounds[] = {0, 0, 17, 47, 60};
    TToneEnvelope merged(tones, TToneQuantity::SNR);
    TWaterfallBuilder mergedMap(from, to, tones, TToneQuantity::SNR, 12, 50);
    for (std::size_t share = 0; share + 1 < std::size(bounds); ++share) {
        TToneEnvelope part(tones, TToneQuantity::SNR);
        TWaterfallBuilder partMap(from, to, tones, TToneQuantity::SNR, 12, 50);
        for (std::size_t i = bounds[share]; i < bounds[share + 1]; ++i) {
            part.Add(sets[i].second);
            partMap.Add(sets[i].first, sets[i].second);
        }
        merged.Merge(part);
        mergedMap.Merge(partMap);
    }
    ASSERT_EQ(merged.Sets(), whole.Sets());
    for (int tone = 0; tone < tones; ++tone) {
        EXPECT_EQ(merged.Minimum(tone), whole.Minimum(tone)) << tone;
        EXPECT_EQ(merged.Maximum(tone), whole.Maximum(tone)) << tone;
        EXPECT_DOUBLE_EQ(merged.Mean(tone), whole.Mean(tone)) << tone;
    }
    const TWaterfallGrid a = mergedMap.Take(), b = wholeMap.Take();
    EXPECT_EQ(a.Sets, b.Sets);
    ASSERT_EQ(a.Cells.size(), b.Cells.size());
    for (std::size_t i = 0; i < a.Cells.size(); ++i)
        EXPECT_DOUBLE_EQ(a.Cells[i], b.Cells[i]) << i;

    TToneEnvelope other(tones - 1, TToneQuantity::SNR), bits(tones, TToneQuantity::Bits);
    EXPECT_THROW(merged.Merge(other), std::invalid_argument);
    EXPECT_THROW(merged.Merge(bits), std::invalid_argument);
    TWaterfallBuilder otherMap(from, to + 1, tones, TToneQuantity::SNR, 12, 50);
    TWaterfallBuilder map(from, to, tones, TToneQuantity::SNR, 12, 50);
    EXPECT_THROW(map.Merge(otherMap), std::invalid_argument);
}

TEST(TimeSeries, GapsWhereSamplesAreFurtherApartThanUsual) {
    // Samples each minute, one missing hour, one failed sample (NaN).
    TTimeSeries series;
    std::vector<int64_t> times;
    for (int i = 0; i < 10; ++i)
        times.push_back(i * 60'000);
    for (int i = 0; i < 5; ++i)
        times.push_back(3'600'000 + i * 60'000);
    for (int64_t t : times) {
        series.Keys.push_back(static_cast<double>(t));
        series.Values.push_back(t == 120'000 ? NoValue : 1.0);
    }
    const int64_t threshold = GapThresholdMs(times);
    EXPECT_EQ(threshold, 180'000);
    const TTimeSeries gapped = WithGaps(series, threshold);
    ASSERT_EQ(gapped.Keys.size(), series.Keys.size() + 1);
    // The gap sits between the last sample before the hour and the first after it.
    EXPECT_TRUE(std::isnan(gapped.Values[10]));
    EXPECT_GT(gapped.Keys[10], 540'000);
    EXPECT_LT(gapped.Keys[10], 3'600'000);
    EXPECT_TRUE(std::isnan(gapped.Values[2])); // the failed sample stays a gap
    EXPECT_EQ(GapThresholdMs({5}), 1000);
}

TEST(TimeSeries, BucketSumsKeepEveryErrorInTheRange) {
    TTimeSeries series;
    for (int i = 0; i < 1000; ++i) {
        series.Keys.push_back(i * 1000.0);
        series.Values.push_back(i % 7 == 0 ? NoValue : static_cast<double>(i % 5));
    }
    double inRange = 0;
    for (int i = 100; i <= 899; ++i)
        if (i % 7 != 0)
            inRange += i % 5;

    const TTimeSeries buckets = BucketSums(series, 100'000, 899'000, 50);
    EXPECT_LE(buckets.Keys.size(), 50u);
    double sum = 0;
    for (double v : buckets.Values)
        sum += v;
    EXPECT_EQ(sum, inRange);
    for (double key : buckets.Keys) {
        EXPECT_GE(key, 100'000);
        EXPECT_LE(key, 899'000);
    }
    // Few points: kept as they are, NaN left out.
    const TTimeSeries few = BucketSums(series, 0, 9'000, 50);
    ASSERT_EQ(few.Keys.size(), 8u);
    EXPECT_EQ(few.Keys[0], 1000);
    EXPECT_EQ(few.Values[0], 1);
}

} // namespace
} // namespace vexlorin
