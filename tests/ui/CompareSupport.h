// Sets for the comparison tests: read by the main window from the simulated router on
// loopback (once per profile and seed, then kept as statistics-file bytes), and the points
// of a chart series for checks against a direct computation.
#pragma once

#include "RouterSim.h"
#include "TestSupport.h"

#include <QTest>

#include <map>
#include <utility>
#include <vector>

namespace vexlorin::test {

// A complete set (bins included) as a retrieval from a simulated router with this profile
// and seed leaves it, named AName.
inline std::unique_ptr<TDrayData> RetrievedSet(TVDSLProfile AProfile, uint64_t ASeed,
                                               const std::string& AName) {
    static std::map<std::pair<int, uint64_t>, std::vector<uint8_t>> retrieved;
    auto& bytes = retrieved[{AProfile, ASeed}];
    if (bytes.empty()) {
        TRouterSimOptions options;
        options.Profile = AProfile;
        options.Seed = ASeed;
        TRouterSim sim(options);
        const uint16_t port = sim.Start();
        auto dialogs = std::make_shared<TFakeDialogs::TShared>();
        TfrmMain window(QStringList{}, std::make_unique<TFakeDialogs>(dialogs));
        window.UseSimulatedRouter(QStringLiteral("127.0.0.1"), port, QStringLiteral("admin"),
                                  QStringLiteral("admin"), QStringLiteral("DrayTek"));
        const TMainControls ui(window);
        ui.chkShowBins->setChecked(true);
        ui.btnGetData->click();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !window.Reading(); }, 20000));
        EXPECT_TRUE(dialogs->Refusals.isEmpty());
        const TDrayData* set = window.GetSelectedDrayData();
        if (!set)
            throw std::runtime_error("the simulated router gave no set");
        bytes = set->SaveToBytes();
    }
    auto set = std::make_unique<TDrayData>();
    set->LoadFromBytes(bytes);
    set->SetName(AName);
    return set;
}

// One point of a series: its x, and its y (none for a null point).
struct TPoint {
    double X = 0;
    std::optional<double> Y;
    bool operator==(const TPoint&) const = default;
};

inline std::vector<TPoint> Points(const TChartSeries* ASeries) {
    std::vector<TPoint> points;
    for (int i = 0; i < ASeries->Count(); ++i)
        points.push_back({ASeries->XValue(i), ASeries->IsNull(i)
                                                  ? std::nullopt
                                                  : std::optional<double>(ASeries->YValue(i))});
    return points;
}

inline void PrintTo(const TPoint& APoint, std::ostream* AStream) {
    *AStream << '(' << APoint.X << ", ";
    if (APoint.Y)
        *AStream << *APoint.Y;
    else
        *AStream << "null";
    *AStream << ')';
}

} // namespace vexlorin::test
