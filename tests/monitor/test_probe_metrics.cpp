// /probe's exposition: the dashboards' names with the simulated router's values, accepted
// by the real promtool for every profile, a training line and a router that is down; and
// nothing written for a value the console did not give.
#include "LineModel.h"
#include "MonitorTestSupport.h"
#include "RouterSim.h"
#include "monitor/Exposition.h"
#include "monitor/ProbeMetrics.h"
#include "monitor/Sampler.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vexlorin {
namespace {

using monitor::RenderProbe;
using monitor::TSample;
using monitor::TTarget;
using test::MetricValue;
using test::PromtoolCheck;
using test::TTempDir;

TTarget SimTarget(uint16_t APort, bool ABins = false) {
    TTarget target;
    target.Name = "line";
    target.Host = "127.0.0.1";
    target.Port = APort;
    target.User = "admin";
    target.Password = "admin";
    target.Bins = ABins;
    return target;
}

TSample SampleOf(const TRouterSimOptions& AOptions, bool ABins = false) {
    TRouterSim sim(AOptions);
    const uint16_t port = sim.Start();
    const std::atomic<bool> stop{false};
    return monitor::ReadSample(SimTarget(port, ABins), stop);
}

TEST(ProbeMetrics, EveryProfileGivesTheRoutersValuesAndPassesPromtool) {
    TTempDir dir;
    for (const TVDSLProfile profile : {vp8a, vp8b, vp8c, vp12a, vp12b, vp17a, vp30a, vp35b}) {
        SCOPED_TRACE(VDSLProfileNames[profile]);
        TRouterSimOptions options;
        options.Profile = profile;
        options.Seed = 7 + profile;
        // Bins on the larger profiles: the bit loading metrics join in.
        const TSample sample = SampleOf(options, profile >= vp17a);
        ASSERT_TRUE(sample.Completed) << sample.Message;
        const std::string text = RenderProbe(sample);
        const test::TRunResult check = PromtoolCheck(dir, text);
        EXPECT_EQ(check.ExitCode, 0) << check.Out << check.Err << text;

        const routersim::TLineModel model(profile, options.Seed);
        EXPECT_EQ(MetricValue(text, "dsl_signal_to_noise_margin_db{direction=\"down\"}"),
                  static_cast<int>(model.SNRMargin(sdDown)));
        EXPECT_EQ(MetricValue(text, "dsl_signal_to_noise_margin_db{direction=\"up\"}"),
                  static_cast<int>(model.SNRMargin(sdUp)));
        EXPECT_EQ(MetricValue(text, "dsl_data_rate_down"), model.RateKbps(sdDown) * 1000.0);
        EXPECT_EQ(MetricValue(text, "dsl_max_data_rate_up"), model.AttainableKbps(sdUp) * 1000.0);
        EXPECT_EQ(MetricValue(text, "vexlorin_sample_success"), 1);
        EXPECT_NE(text.find("dsl_line_info{annex=\"A\",mode=\"" +
                            std::string(VDSLProfileNames[profile]) + "\",profile=\"" +
                            VDSLProfileNames[profile] + "\"} 1"),
                  std::string::npos)
            << text;
        EXPECT_EQ(text.find("vexlorin_loading_per_symbol{direction=\"down\"}") != std::string::npos,
                  profile >= vp17a);
    }
}

TEST(ProbeMetrics, TrainingLineAndRouterThatIsDown) {
    TTempDir dir;
    TRouterSimOptions training;
    training.Training = true;
    const TSample trainingSample = SampleOf(training);
    ASSERT_TRUE(trainingSample.Completed) << trainingSample.Message;
    const std::string trainingText = RenderProbe(trainingSample);
    EXPECT_EQ(PromtoolCheck(dir, trainingText).ExitCode, 0) << trainingText;
    EXPECT_EQ(MetricValue(trainingText, "dsl_up{detail=\"TRAINING\"}"), 0) << trainingText;
    EXPECT_EQ(trainingText.find("profile="), std::string::npos) << "profile N/A is no label";

    // A port nobody listens on: a failed sample gives how it ended and no line values.
    const std::atomic<bool> stop{false};
    const TSample down = monitor::ReadSample(SimTarget(test::FreeLoopbackPort()), stop);
    EXPECT_FALSE(down.Completed);
    const std::string downText = RenderProbe(down);
    const test::TRunResult check = PromtoolCheck(dir, downText);
    EXPECT_EQ(check.ExitCode, 0) << check.Out << check.Err << downText;
    EXPECT_EQ(MetricValue(downText, "vexlorin_sample_success"), 0);
    EXPECT_EQ(MetricValue(downText, "vexlorin_sample_ending_info{ending=\"connect-failed\"}"), 1);
    EXPECT_EQ(downText.find("dsl_"), std::string::npos) << downText;
}

TEST(ProbeMetrics, ValuesTheConsoleDidNotGiveAreLeftOutNeverZero) {
    TSample sample;
    sample.Completed = true;
    sample.TimeMs = 1'700'000'000'000;
    sample.Summary.Directions[sdDown][diSNRMargin] = TSummaryValue::Decimal(9.5);
    sample.Summary.Directions[sdUp][diCRC] = TSummaryValue::Integer(0);
    const std::string text = RenderProbe(sample);
    EXPECT_EQ(MetricValue(text, "dsl_signal_to_noise_margin_db{direction=\"down\"}"), 9.5);
    // A real zero stays.
    EXPECT_EQ(MetricValue(text, "dsl_errors_total{err=\"non pre-emptive crc error\",loc=\"far\"}"),
              0);
    for (const char* absent :
         {"direction=\"up\"}", "dsl_data_rate", "dsl_up", "dsl_info", "dsl_line_info",
          "dsl_retrains_total", "loc=\"near\"", "dsl_band_", "vexlorin_load", "attenuation"})
        EXPECT_EQ(text.find(absent), std::string::npos) << absent << "\n" << text;
    // No family is announced without a sample.
    EXPECT_EQ(text.find("# TYPE dsl_error_seconds_total"), std::string::npos) << text;
}

TEST(ProbeMetrics, HostileTextsStayOneValidSeriesEach) {
    TTempDir dir;
    TSample sample;
    sample.Completed = true;
    sample.Summary.Line[liFirmware] = TSummaryValue::Text("05\"07\\x\nnext");
    sample.Summary.Line[liState] = TSummaryValue::Text("showtime");
    // Two bands of one name: one series, or Prometheus drops the whole scrape.
    for (int i = 0; i < 2; ++i) {
        TBandSummary band;
        band.Direction = sdDown;
        band.Name = "DS1";
        band.Values[biSNRM] = TSummaryValue::Decimal(5 + i);
        sample.Summary.Bands.push_back(band);
    }
    const std::string text = RenderProbe(sample);
    const test::TRunResult check = PromtoolCheck(dir, text);
    EXPECT_EQ(check.ExitCode, 0) << check.Out << check.Err << text;
    EXPECT_NE(text.find("firmware_version=\"05\\\"07\\\\x\\nnext\""), std::string::npos) << text;
    EXPECT_EQ(MetricValue(text, "dsl_up{detail=\"showtime\"}"), 1);
    EXPECT_EQ(MetricValue(text, "dsl_band_snr_margin_db{direction=\"down\",band=\"DS1\"}"), 5);
    EXPECT_EQ(text.find("band=\"DS1\"} 6"), std::string::npos);
}

TEST(Exposition, NumbersAsTheFormatReadsThem) {
    const std::pair<double, const char*> cases[] = {
        {0, "0"},        {12.5, "12.5"}, {-4.3, "-4.3"},     {32397000, "32397000"},
        {1e21, "1e+21"}, {NAN, "NaN"},   {INFINITY, "+Inf"}, {-INFINITY, "-Inf"}};
    for (const auto& [value, text] : cases)
        EXPECT_EQ(monitor::FormatMetricValue(value), text);
}

} // namespace
} // namespace vexlorin
