// What a chart draws besides its series: shaded spans of the tone axis behind the data
// (the bands of the line's band plan) and a line at value 0 (for differences).
#include "ui/Chart.h"

#include "ui/ChartPlot.h"

#include <algorithm>

namespace vexlorin {

namespace {

constexpr const char* BandsLayer = "bands";

// Shading light enough that every series stays readable over it.
QColor Shade(QColor AColor) {
    AColor.setAlpha(22);
    return AColor;
}

} // namespace

void TChart::SetBands(const QList<TChartBand>& ABands) {
    for (QCPAbstractItem* item : FBandItems)
        FPlot->removeItem(item);
    FBandItems.clear();
    FBands = ABands;
    if (!FBands.isEmpty() && !FPlot->layer(QString::fromLatin1(BandsLayer))) {
        // Behind the grid and the data.
        FPlot->addLayer(QString::fromLatin1(BandsLayer), FPlot->layer(QStringLiteral("grid")),
                        QCustomPlot::limBelow);
    }
    QFont labelFont = FPlot->font();
    // The window's fonts are sized in pixels, the platform's in points.
    if (labelFont.pixelSize() > 0)
        labelFont.setPixelSize(std::max(8, labelFont.pixelSize() * 17 / 20));
    else if (labelFont.pointSizeF() > 0)
        labelFont.setPointSizeF(labelFont.pointSizeF() * 0.85);
    for (const TChartBand& band : FBands) {
        auto* rect = new QCPItemRect(FPlot);
        rect->setLayer(QString::fromLatin1(BandsLayer));
        rect->setPen(Qt::NoPen);
        rect->setBrush(Shade(band.Color));
        // From the band's first tone to the end of its last one, over the whole height.
        for (QCPItemPosition* corner : {rect->topLeft, rect->bottomRight}) {
            corner->setTypeX(QCPItemPosition::ptPlotCoords);
            corner->setTypeY(QCPItemPosition::ptAxisRectRatio);
        }
        rect->topLeft->setCoords(band.First, 0);
        rect->bottomRight->setCoords(band.Last + 1, 1);
        FBandItems.append(rect);

        // The label in the middle of what the tone axis shows of the band.
        const double from = std::max(band.First, FBottomAxis->Minimum());
        const double to = std::min(band.Last + 1, FBottomAxis->Maximum());
        if (from >= to)
            continue;
        auto* label = new QCPItemText(FPlot);
        label->setLayer(QString::fromLatin1(BandsLayer));
        label->position->setTypeX(QCPItemPosition::ptPlotCoords);
        label->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
        label->position->setCoords((from + to) / 2, 0);
        label->setPositionAlignment(Qt::AlignTop | Qt::AlignHCenter);
        label->setPadding(QMargins(2, 3, 2, 2));
        label->setFont(labelFont);
        label->setColor(band.Color.darker(130));
        label->setText(band.Label);
        FBandItems.append(label);
    }
    QueueRedraw();
}

void TChart::SetToneSpacingKHz(double AValue) {
    FToneSpacingKHz = AValue;
    if (FFrequencyAxis)
        FBottomAxis->SetLabelScale(FToneSpacingKHz / 1000);
}

void TChart::SetFrequencyAxis(bool AValue) {
    FFrequencyAxis = AValue;
    FBottomAxis->SetLabelScale(FFrequencyAxis ? FToneSpacingKHz / 1000 : 1);
    QueueRedraw();
}

void TChart::SetZeroLine(bool AValue) {
    if (AValue == ZeroLine())
        return;
    if (AValue) {
        FZeroLine = new QCPItemStraightLine(FPlot);
        FZeroLine->point1->setCoords(0, 0);
        FZeroLine->point2->setCoords(1, 0);
        FZeroLine->setPen(QPen(QColor(96, 96, 96), 1));
    } else {
        FPlot->removeItem(FZeroLine);
        FZeroLine = nullptr;
    }
    QueueRedraw();
}

} // namespace vexlorin
