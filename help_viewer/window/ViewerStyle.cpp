#include "window/ViewerStyle.h"

#include <QGuiApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>

#include <algorithm>
#include <cmath>

namespace bmi::help {

namespace {

// Two chevrons pointing the way the hidden actions lie: right for a horizontal toolbar,
// down for a vertical one.
class ChevronEngine final : public QIconEngine {
public:
    explicit ChevronEngine(Qt::Orientation orientation) : m_orientation(orientation) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        const QPalette palette = QGuiApplication::palette();
        QColor colour = palette.color(
            mode == QIcon::Disabled ? QPalette::Disabled : QPalette::Active, QPalette::ButtonText);
        const qreal side = qMin(rect.width(), rect.height());
        const qreal arm = side / 4.0;
        QPainterPath path;
        for (qreal offset : {-arm / 1.5, arm / 1.5}) {
            path.moveTo(-arm / 2 + offset, -arm);
            path.lineTo(arm / 2 + offset, 0);
            path.lineTo(-arm / 2 + offset, arm);
        }
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(QRectF(rect).center());
        if (m_orientation == Qt::Vertical)
            painter->rotate(90);
        painter->setPen(QPen(colour, qMax<qreal>(1.0, side / 10.0), Qt::SolidLine, Qt::RoundCap,
                             Qt::RoundJoin));
        painter->drawPath(path);
        painter->restore();
    }

    QIconEngine* clone() const override { return new ChevronEngine(m_orientation); }

private:
    Qt::Orientation m_orientation;
};

// Contrast of two colours as legibility guidelines measure it, from 1 to 21.
double relativeLuminance(const QColor& colour) {
    const auto linear = [](float channel) {
        return channel <= 0.03928f ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = colour.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) +
           0.0722 * linear(rgb.blueF());
}

double contrast(const QColor& a, const QColor& b) {
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

constexpr double kLegibleContrast = 4.5;

} // namespace

void LegibleSelection::initStyleOption(QStyleOptionViewItem* option,
                                       const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        const QColor back = option->palette.color(group, QPalette::Highlight);
        if (contrast(back, option->palette.color(group, QPalette::HighlightedText)) >=
            kLegibleContrast)
            continue;
        const QColor black(Qt::black);
        const QColor white(Qt::white);
        option->palette.setColor(group, QPalette::HighlightedText,
                                 contrast(back, black) > contrast(back, white) ? black : white);
    }
}

QIcon ViewerStyle::standardIcon(StandardPixmap which, const QStyleOption* option,
                                const QWidget* widget) const {
    if (which == SP_ToolBarHorizontalExtensionButton)
        return QIcon(new ChevronEngine(Qt::Horizontal));
    if (which == SP_ToolBarVerticalExtensionButton)
        return QIcon(new ChevronEngine(Qt::Vertical));
    return QProxyStyle::standardIcon(which, option, widget);
}

} // namespace bmi::help
