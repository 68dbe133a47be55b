#include "ui/fmRawBins.h"

#include <QCoreApplication>
#include <mutex>
#include <shared_mutex>

namespace vexlorin {

TfrmRawBins::TfrmRawBins(QWidget* AOwner)
    : TRawLinesWindow(AOwner,
                      QCoreApplication::translate("vexlorin::TRawLinesWindow", "Raw bins data"),
                      TArrangement::UpstreamAbove, QSize(622, 515)) {
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
