#include "window/ViewerStyle.h"

#include <QGuiApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>

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

} // namespace

QIcon ViewerStyle::standardIcon(StandardPixmap which, const QStyleOption* option,
                                const QWidget* widget) const {
    if (which == SP_ToolBarHorizontalExtensionButton)
        return QIcon(new ChevronEngine(Qt::Horizontal));
    if (which == SP_ToolBarVerticalExtensionButton)
        return QIcon(new ChevronEngine(Qt::Vertical));
    return QProxyStyle::standardIcon(which, option, widget);
}

} // namespace bmi::help
