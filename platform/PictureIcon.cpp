#include "platform/PictureIcon.h"

#include "platform/Design.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>
#include <utility>

namespace bmi {

namespace {

class PictureIconEngine final : public QIconEngine {
public:
    struct Entry {
        QSize size;
        QString path;
        QPixmap pixmap;
        bool read = false;
    };

    explicit PictureIconEngine(QList<Entry> entries) : m_entries(std::move(entries)) {
        std::sort(m_entries.begin(), m_entries.end(), [](const Entry& a, const Entry& b) {
            return qint64(a.size.width()) * a.size.height() <
                   qint64(b.size.width()) * b.size.height();
        });
    }

    QIconEngine* clone() const override { return new PictureIconEngine(*this); }
    QString key() const override { return QStringLiteral("bmi-picture"); }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (const Entry& e : std::as_const(m_entries))
            sizes.append(e.size);
        return sizes;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        const QSize own = nearest(size).size;
        return own.boundedTo(size) == own ? own : own.scaled(size, Qt::KeepAspectRatio);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
        Entry& e = nearest(size);
        if (!e.read) {
            e.pixmap = designPicture(e.path);
            e.read = true;
        }
        QPixmap pm = e.pixmap;
        if (pm.isNull())
            return pm;
        // Made smaller, never larger, as Qt's own icons do: a size between two pictures
        // takes the larger one smoothed down.
        if (pm.size().boundedTo(size) != pm.size())
            pm = pm.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        // A disabled button's picture is greyed by the style, as any other icon's.
        auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
        if (mode != QIcon::Normal && app) {
            QStyleOption option;
            option.palette = QApplication::palette();
            pm = QApplication::style()->generatedIconPixmap(mode, pm, &option);
        }
        return pm;
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        painter->drawPixmap(rect, pixmap((QSizeF(rect.size()) * ratio).toSize(), mode, state));
    }

private:
    // The smallest picture that covers size, else the largest there is.
    Entry& nearest(const QSize& size) {
        for (Entry& e : m_entries)
            if (e.size.width() >= size.width() && e.size.height() >= size.height())
                return e;
        return m_entries.back();
    }

    QList<Entry> m_entries;
};

} // namespace

namespace {

QIcon iconOf(PictureIconEngine::Entry first, QList<PictureAtSize> others) {
    QList<PictureIconEngine::Entry> entries{std::move(first)};
    for (PictureAtSize& other : others)
        entries.append(
            {.size = other.size, .path = std::move(other.path), .pixmap = {}, .read = false});
    return QIcon(new PictureIconEngine(std::move(entries)));
}

PictureIconEngine::Entry readNow(const QString& path) {
    QPixmap pixmap = designPicture(path);
    const QSize size = pixmap.size();
    return {.size = size, .path = path, .pixmap = std::move(pixmap), .read = true};
}

} // namespace

QIcon pictureIcon(const QString& path, QList<PictureAtSize> others) {
    return iconOf(readNow(path), std::move(others));
}

QIcon densePictureIcon(const QString& path) {
    PictureIconEngine::Entry first = readNow(path);
    const QSize dense = first.size * 2;
    return iconOf(std::move(first), {{dense, densePicturePath(path)}});
}

QString densePicturePath(const QString& path) {
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype at = dot > slash ? dot : path.size();
    return path.left(at) + QLatin1String("@2x") + path.mid(at);
}

QIcon programIcon() {
    // The sizes the desktop icon theme lists (packaging/icons) up to 128x128, as stored
    // by resources/CMakeLists.txt; the 32x32 one is the designed 16-colour picture itself.
    QList<PictureAtSize> others;
    for (int side : {16, 24, 48, 64, 128})
        others.append({QSize(side, side), QStringLiteral(":/BMI-Trevala-%1.pixels").arg(side)});
    return pictureIcon(QStringLiteral(":/BMI-Trevala.pixels"), std::move(others));
}

} // namespace bmi
