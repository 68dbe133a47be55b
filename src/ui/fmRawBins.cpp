#include "ui/fmRawBins.h"

#include <mutex>
#include <shared_mutex>

namespace vexlorin {

TfrmRawBins::TfrmRawBins(QWidget* AOwner)
    : TRawLinesWindow(AOwner, QStringLiteral("Raw bins data"), TArrangement::UpstreamAbove,
                      QSize(622, 515)) {
    show();
}

TfrmRawBins* ShowRawBins(QWidget* AOwner, const TDrayData* ASet) {
    auto* form = new TfrmRawBins(AOwner);
    if (ASet) {
        TStringList up;
        TStringList down;
        {
            std::shared_lock lock(ASet->BinStatLock());
            up = ASet->BinStatsUSRaw();
            down = ASet->BinStatsDSRaw();
        }
        form->SetLines(up, down);
    }
    return form;
}

} // namespace vexlorin
