// A real Prometheus server scrapes vexlorin-cli serve for three simulated routers in the
// multi-target pattern of the README; its HTTP API then gives each router's margin.
#include "LineModel.h"
#include "MonitorTestSupport.h"
#include "RouterSim.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <map>

namespace vexlorin {
namespace {

using test::HttpGet;
using test::TTempDir;
using test::WriteWholeFile;

constexpr const char* PrometheusPath = "/usr/bin/prometheus";

// The answer of an instant query: instance -> value.
std::map<std::string, double> Query(int APort, const std::string& AQuery) {
    const test::THttpResult result =
        HttpGet(APort, "/api/v1/query?query=" + test::UrlEncode(AQuery));
    std::map<std::string, double> values;
    if (result.Status != 200)
        return values;
    const auto document = nlohmann::json::parse(result.Body, nullptr, false);
    if (document.is_discarded() || document.value("status", "") != "success")
        return values;
    for (const auto& series : document["data"]["result"])
        values[series["metric"].value("instance", "")] =
            std::stod(series["value"][1].get<std::string>());
    return values;
}

TEST(Prometheus, ScrapesEveryTargetsMarginThroughTheProbe) {
    if (!test::HasProgram(PrometheusPath))
        GTEST_SKIP() << PrometheusPath
                     << " is missing: run scripts/install-deps (Debian package prometheus)";
    TTempDir dir;
    const std::string password = dir.File("pw");
    WriteWholeFile(password, "admin\n");
    std::vector<std::unique_ptr<TRouterSim>> sims;
    std::map<std::string, double> expected;
    std::string targets;
    const std::pair<TVDSLProfile, uint64_t> lines[] = {{vp17a, 3}, {vp35b, 8}, {vp8b, 13}};
    for (std::size_t i = 0; i < std::size(lines); ++i) {
        TRouterSimOptions options;
        options.Profile = lines[i].first;
        options.Seed = lines[i].second;
        sims.push_back(std::make_unique<TRouterSim>(options));
        const uint16_t port = sims.back()->Start();
        const std::string name = "line" + std::to_string(i + 1);
        expected[name] = static_cast<int>(
            routersim::TLineModel(lines[i].first, lines[i].second).SNRMargin(sdDown));
        targets += "[targets." + name + "]\nhost = \"127.0.0.1\"\nport = " + std::to_string(port) +
                   "\nuser = \"admin\"\npassword_file = \"" + password + "\"\ninterval = \"1s\"\n";
    }
    WriteWholeFile(dir.File("targets.toml"), targets);
    test::TServe serve(dir, dir.File("targets.toml"));

    const int prometheusPort = test::FreeLoopbackPort();
    const std::string exporter = "127.0.0.1:" + std::to_string(serve.Port());
    WriteWholeFile(dir.File("prometheus.yml"), R"(global:
  scrape_interval: 1s
  scrape_timeout: 1s
scrape_configs:
  - job_name: vexlorin
    metrics_path: /probe
    static_configs:
      - targets: [line1, line2, line3]
    relabel_configs:
      - source_labels: [__address__]
        target_label: __param_target
      - source_labels: [__param_target]
        target_label: instance
      - target_label: __address__
        replacement: )" + exporter + R"(
  - job_name: vexlorin_exporter
    static_configs:
      - targets: [')" + exporter + R"(']
)");
    test::TBackground prometheus(
        {PrometheusPath, "--config.file=" + dir.File("prometheus.yml"),
         "--storage.tsdb.path=" + dir.File("data"),
         "--web.listen-address=127.0.0.1:" + std::to_string(prometheusPort)},
        dir.File("prometheus.out"), dir.File("prometheus.err"));

    // Two scrapes that found each target's values.
    std::map<std::string, double> scrapes;
    const bool scraped = test::WaitFor(
        [&] {
            scrapes = Query(prometheusPort,
                            "count_over_time(vexlorin_sample_success{job=\"vexlorin\"}[1m])");
            if (scrapes.size() != 3)
                return false;
            for (const auto& [instance, count] : scrapes)
                if (count < 2)
                    return false;
            return true;
        },
        std::chrono::seconds(60));
    ASSERT_TRUE(scraped) << test::ReadWholeFile(dir.File("prometheus.err")).substr(0, 4000)
                         << serve.Err();
    const auto margins =
        Query(prometheusPort, "dsl_signal_to_noise_margin_db{direction=\"down\",job=\"vexlorin\"}");
    EXPECT_EQ(margins, expected);
    const auto up = Query(prometheusPort, "up{job=\"vexlorin_exporter\"}");
    ASSERT_EQ(up.size(), 1u);
    EXPECT_EQ(up.begin()->second, 1);
}

} // namespace
} // namespace vexlorin
