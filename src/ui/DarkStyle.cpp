#include "ui/DarkStyle.h"

#include <QApplication>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>

#include <algorithm>
#include <cmath>

namespace vexlorin {

namespace {

// Fusion draws its outlines a little darker than the panel, which on a dark panel leaves
// check boxes and edit fields all but invisible. This style draws Fusion's controls and
// then their outline in DarkFrameColor.
class TDarkStyle final : public QProxyStyle {
public:
    explicit TDarkStyle(QStyle* ABase) : QProxyStyle(ABase) {}

    void drawPrimitive(PrimitiveElement AElement, const QStyleOption* AOption, QPainter* APainter,
                       const QWidget* AWidget) const override {
        QProxyStyle::drawPrimitive(AElement, AOption, APainter, AWidget);
        switch (AElement) {
        case PE_IndicatorCheckBox:
        case PE_FrameLineEdit:
        case PE_PanelButtonCommand:
        case PE_FrameGroupBox:
            Outline(APainter, AOption->rect, false);
            break;
        case PE_IndicatorRadioButton:
            Outline(APainter, AOption->rect, true);
            break;
        default:
            break;
        }
    }

    void drawComplexControl(ComplexControl AControl, const QStyleOptionComplex* AOption,
                            QPainter* APainter, const QWidget* AWidget) const override {
        QProxyStyle::drawComplexControl(AControl, AOption, APainter, AWidget);
        if (AControl == CC_SpinBox || AControl == CC_ComboBox) {
            const auto* frame = qstyleoption_cast<const QStyleOptionComplex*>(AOption);
            bool framed = true;
            if (const auto* spin = qstyleoption_cast<const QStyleOptionSpinBox*>(frame))
                framed = spin->frame;
            if (const auto* combo = qstyleoption_cast<const QStyleOptionComboBox*>(frame))
                framed = combo->frame;
            if (framed)
                Outline(APainter, AOption->rect, false);
        }
    }

private:
    static void Outline(QPainter* APainter, const QRect& ARect, bool ARound) {
        APainter->save();
        APainter->setRenderHint(QPainter::Antialiasing, false);
        APainter->setBrush(Qt::NoBrush);
        APainter->setPen(QPen(DarkFrameColor, 1));
        const QRect r = ARect.adjusted(0, 0, -1, -1);
        if (ARound)
            APainter->drawEllipse(r);
        else
            APainter->drawRect(r);
        APainter->restore();
    }
};

double Luminance(const QColor& AColour) {
    auto channel = [](int AValue) {
        const double c = AValue / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(AColour.red()) + 0.7152 * channel(AColour.green()) +
           0.0722 * channel(AColour.blue());
}

} // namespace

double ContrastRatio(const QColor& AOne, const QColor& ATwo) {
    const double one = Luminance(AOne);
    const double two = Luminance(ATwo);
    return (std::max(one, two) + 0.05) / (std::min(one, two) + 0.05);
}

QPalette DarkPalette() {
    const QColor window(45, 45, 48);
    const QColor base(30, 30, 30);
    const QColor text(220, 220, 220);
    const QColor disabledText(120, 120, 120);
    // Dark enough for white text on it at better than 4.5:1.
    const QColor highlight(30, 100, 180);

    QPalette palette;
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::ToolTipBase, QColor(60, 60, 64));
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, QColor(140, 140, 140));
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, QColor(58, 58, 62));
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, Qt::red);
    palette.setColor(QPalette::Link, QColor(90, 160, 240));
    palette.setColor(QPalette::Highlight, highlight);
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Light, QColor(75, 75, 80));
    palette.setColor(QPalette::Midlight, QColor(65, 65, 70));
    palette.setColor(QPalette::Mid, QColor(50, 50, 54));
    palette.setColor(QPalette::Dark, QColor(25, 25, 27));
    palette.setColor(QPalette::Shadow, Qt::black);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, disabledText);
    palette.setColor(QPalette::Disabled, QPalette::Base, window);
    palette.setColor(QPalette::Disabled, QPalette::Highlight, QColor(80, 80, 80));
    return palette;
}

QStyle* CreateDarkStyle() {
    QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"));
    if (!fusion)
        return nullptr;
    return new TDarkStyle(fusion);
}

bool ApplyDarkStyle(QApplication& AApplication) {
    QStyle* style = CreateDarkStyle();
    if (!style)
        return false;
    AApplication.setStyle(style);
    AApplication.setPalette(DarkPalette());
    return true;
}

} // namespace vexlorin
