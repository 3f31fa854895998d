#include "window/HelpBrowser.h"
#include "window/CharFormats.h"

#include "chm/TopicLimits.h"
#include "window/HelpFile.h"
#include "window/TopicAccessible.h"

#include <QAbstractTextDocumentLayout>
#include <QAccessible>
#include <QBuffer>
#include <QDesktopServices>
#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <algorithm>
#include <cmath>
#include <vector>

namespace bmi::help {

namespace {

QString missingTopicPage(const QUrl& url) {
    return QStringLiteral("<html><head><title>Topic not found</title></head><body>"
                          "<h2>Topic not found</h2>"
                          "<p>This help file has no page \"%1\".</p></body></html>")
        .arg(url.path().toHtmlEscaped());
}

bool isWebLink(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
           scheme == QLatin1String("mailto");
}

QImage blank() {
    QImage blank(1, 1, QImage::Format_ARGB32);
    blank.fill(Qt::transparent);
    return blank;
}

// Only the common picture formats, told by their first bytes: a name in the file says
// nothing, and other readers (vector formats among them) may fetch files of their own.
QByteArray pictureFormat(const QByteArray& data) {
    if (data.startsWith("\x89PNG\r\n\x1a\n"))
        return "png";
    if (data.startsWith("\xff\xd8\xff"))
        return "jpeg";
    if (data.startsWith("GIF87a") || data.startsWith("GIF89a"))
        return "gif";
    if (data.startsWith("BM"))
        return "bmp";
    return {};
}

QImage pictureIn(QTextDocument* document, const QString& name) {
    const QVariant resource = document->resource(QTextDocument::ImageResource, QUrl(name));
    if (resource.typeId() == QMetaType::QImage)
        return resource.value<QImage>();
    if (resource.typeId() == QMetaType::QPixmap)
        return resource.value<QPixmap>().toImage();
    QImage image;
    if (resource.typeId() == QMetaType::QByteArray)
        image.loadFromData(resource.toByteArray());
    return image;
}

// The size a picture is shown at before any screen scaling: as the page asks, one side
// following the other in the picture's proportions, or the picture's own size.
QSizeF shownSize(QTextDocument* document, const QTextImageFormat& format) {
    const bool hasWidth = format.hasProperty(QTextFormat::ImageWidth);
    const bool hasHeight = format.hasProperty(QTextFormat::ImageHeight);
    QSizeF size(format.width(), format.height());
    if (hasWidth && hasHeight)
        return size;
    const QImage image = pictureIn(document, format.name());
    const QSizeF natural = image.isNull() ? QSizeF(1, 1) : image.deviceIndependentSize();
    if (natural.isEmpty())
        return {0, 0};
    if (hasWidth)
        return {size.width(), size.width() * natural.height() / natural.width()};
    if (hasHeight)
        return {size.height() * natural.width() / natural.height(), size.height()};
    return natural;
}

// Said by screen readers without moving their attention: the focus stays on the topic.
void announce(QWidget* source, const QString& text) {
    if (!QAccessible::isActive())
        return;
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QAccessibleAnnouncementEvent event(source, text);
#else
    // Before announcements, readers speak an alert's source by its name and description,
    // and the topic's description names the link the keyboard is on.
    Q_UNUSED(text);
    QAccessibleEvent event(source, QAccessible::Alert);
#endif
    QAccessible::updateAccessibility(&event);
}

qreal positive(qreal value) {
    return std::isfinite(value) && value > 0 ? value : 0;
}

// ---- keeping a page within the height the view can lay out ----------------------------

// A margin, padding, border, line height or spacing brought within kMaxSpacing (pixels,
// or percent of a line).
qreal spacing(qreal value) {
    return std::isfinite(value) ? std::clamp<qreal>(value, -kMaxSpacing, kMaxSpacing) : 0;
}

void capFrame(QTextFrame* frame) {
    QTextFrameFormat format = frame->frameFormat();
    format.setTopMargin(spacing(format.topMargin()));
    format.setBottomMargin(spacing(format.bottomMargin()));
    format.setPadding(spacing(format.padding()));
    format.setBorder(spacing(format.border()));
    if (format.height().type() == QTextLength::FixedLength)
        format.setHeight(
            QTextLength(QTextLength::FixedLength, spacing(format.height().rawValue())));
    if (format.isTableFormat()) {
        QTextTableFormat table = format.toTableFormat();
        table.setCellSpacing(spacing(table.cellSpacing()));
        table.setCellPadding(spacing(table.cellPadding()));
        format = table;
    }
    if (format != frame->frameFormat())
        frame->setFrameFormat(format);
    for (QTextFrame* child : frame->childFrames())
        capFrame(child);
}

// Sizes a page asks for beyond the caps are brought within them, before anything is
// laid out. A picture keeps its proportions.
void capSizes(QTextDocument* document) {
    rewriteCharFormats(document, [document](QTextCharFormat& format) {
        bool changed = false;
        if (format.hasProperty(QTextFormat::FontPointSize) &&
            !(format.fontPointSize() <= kMaxFontPoints)) {
            format.setFontPointSize(kMaxFontPoints);
            changed = true;
        }
        if (format.hasProperty(QTextFormat::FontPixelSize) &&
            !(format.doubleProperty(QTextFormat::FontPixelSize) <= kMaxFontPixels)) {
            format.setProperty(QTextFormat::FontPixelSize, kMaxFontPixels);
            changed = true;
        }
        if (format.isImageFormat()) {
            QTextImageFormat image = format.toImageFormat();
            QSizeF size = shownSize(document, image);
            if (!std::isfinite(size.width()) || !std::isfinite(size.height()))
                size = QSizeF(0, 0);
            if (size.width() > kMaxPictureSide || size.height() > kMaxPictureSide)
                size.scale(kMaxPictureSide, kMaxPictureSide, Qt::KeepAspectRatio);
            if (size != QSizeF(image.width(), image.height())) {
                image.setWidth(std::max<qreal>(size.width(), 0));
                image.setHeight(std::max<qreal>(size.height(), 0));
                format = image;
                changed = true;
            }
        }
        return changed;
    });
    // Spacing around blocks and frames, and line heights: what is left of a page once it
    // is cut, the notice included, must not start below its end.
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        QTextBlockFormat format = block.blockFormat();
        const qreal top = format.topMargin();
        const qreal bottom = format.bottomMargin();
        const qreal line = format.lineHeight();
        if (spacing(top) == top && spacing(bottom) == bottom && spacing(line) == line)
            continue;
        format.setTopMargin(spacing(top));
        format.setBottomMargin(spacing(bottom));
        format.setLineHeight(spacing(line), format.lineHeightType());
        QTextCursor(block).setBlockFormat(format);
    }
    capFrame(document->rootFrame());
}

// Upper bounds of the height that parts of a page take, however narrow it is laid out:
// every character may stand on a line of its own, and table cells side by side may as
// well be one above the other.
class HeightBound {
public:
    explicit HeightBound(const QTextDocument* document) : m_base(document->defaultFont()) {}

    // The tallest line a character of this format can be on. Text in a font the format
    // does not name (another script, symbols) may stand taller; hence the margin.
    qreal lineHeight(const QTextCharFormat& format) {
        const QFont font = format.font().resolve(m_base);
        auto cached = m_heights.constFind(font);
        if (cached == m_heights.cend())
            cached = m_heights.insert(font, 1.5 * QFontMetricsF(font).height());
        const int adjustment = format.intProperty(QTextFormat::FontSizeAdjustment);
        return *cached * (adjustment > 0 ? std::pow(1.5, std::min(adjustment, 8)) : 1.0);
    }

    static qreal line(const QTextBlockFormat& format, qreal height) {
        const qreal value = positive(format.lineHeight());
        switch (format.lineHeightType()) {
        case QTextBlockFormat::ProportionalHeight:
            return height * std::max<qreal>(1, value / 100);
        case QTextBlockFormat::FixedHeight:
        case QTextBlockFormat::MinimumHeight:
            return std::max(height, value);
        case QTextBlockFormat::LineDistanceHeight:
            return height + value;
        default:
            return height;
        }
    }

    static qreal blockMargins(const QTextBlockFormat& format) {
        return positive(format.topMargin()) + positive(format.bottomMargin());
    }

    // A fragment of text, or of pictures alike, each on a line of its own.
    qreal fragment(const QTextBlockFormat& block, const QTextFragment& fragment) {
        const QTextCharFormat format = fragment.charFormat();
        qreal height = lineHeight(format);
        if (format.isImageFormat())
            height = std::max(height, positive(format.toImageFormat().height()));
        return fragment.length() * line(block, height);
    }

    qreal block(const QTextBlock& block) {
        const QTextBlockFormat format = block.blockFormat();
        qreal height = blockMargins(format) + line(format, lineHeight(block.charFormat()));
        for (auto it = block.begin(); !it.atEnd(); ++it)
            height += fragment(format, it.fragment());
        return height;
    }

    static qreal frameEdges(const QTextFrameFormat& format) {
        qreal height = positive(format.topMargin()) + positive(format.bottomMargin()) +
                       2 * (positive(format.border()) + positive(format.padding()));
        if (format.height().type() == QTextLength::FixedLength)
            height += positive(format.height().rawValue());
        return height;
    }

    qreal frame(QTextFrame* frame) {
        qreal height = frameEdges(frame->frameFormat());
        if (auto* table = qobject_cast<QTextTable*>(frame)) {
            const QTextTableFormat format = table->format();
            height += (table->rows() + 1) *
                      (positive(format.cellSpacing()) + 2 * positive(format.border()));
            for (int row = 0; row < table->rows(); ++row) {
                for (int column = 0; column < table->columns(); ++column) {
                    const QTextTableCellFormat cell =
                        table->cellAt(row, column).format().toTableCellFormat();
                    height += 2 * positive(format.cellPadding()) + positive(cell.topPadding()) +
                              positive(cell.bottomPadding()) + positive(cell.topBorder()) +
                              positive(cell.bottomBorder());
                }
            }
        }
        for (auto it = frame->begin(); !it.atEnd(); ++it)
            height += it.currentFrame() ? this->frame(it.currentFrame()) : block(it.currentBlock());
        return height;
    }

private:
    QFont m_base;
    QHash<QFont, qreal> m_heights;
};

// Where the page must end to stay within kMaxPageHeight; -1 when it need not. A block
// is cut between characters, a table or frame before it starts.
int cutPosition(QTextDocument* document) {
    HeightBound bound(document);
    QTextFrame* root = document->rootFrame();
    qreal used = HeightBound::frameEdges(root->frameFormat());
    for (auto it = root->begin(); !it.atEnd(); ++it) {
        if (QTextFrame* frame = it.currentFrame()) {
            used += bound.frame(frame);
            if (used > kMaxPageHeight)
                return frame->firstPosition() - 1;
            continue;
        }
        const QTextBlock block = it.currentBlock();
        const QTextBlockFormat format = block.blockFormat();
        used += HeightBound::blockMargins(format) +
                HeightBound::line(format, bound.lineHeight(block.charFormat()));
        if (used > kMaxPageHeight)
            return block.position();
        for (auto part = block.begin(); !part.atEnd(); ++part) {
            const QTextFragment fragment = part.fragment();
            const qreal height = bound.fragment(format, fragment);
            if (used + height > kMaxPageHeight) {
                const qreal each = height / fragment.length();
                const int fits = static_cast<int>((kMaxPageHeight - used) / each);
                return fragment.position() + std::clamp(fits, 0, fragment.length());
            }
            used += height;
        }
    }
    return -1;
}

} // namespace

bool fitPage(QTextDocument* document) {
    capSizes(document);
    const int cut = cutPosition(document);
    if (cut < 0)
        return false;
    QTextCursor cursor(document);
    cursor.setPosition(cut);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    cursor.movePosition(QTextCursor::End);
    cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
    cursor.insertText(
        QString::fromUtf8(kTooLongNotice.data(), static_cast<qsizetype>(kTooLongNotice.size())));
    return true;
}

QSizeF PictureObject::intrinsicSize(QTextDocument* document, int, const QTextFormat& format) {
    QSizeF size = shownSize(document, format.toImageFormat());
    // As the document's own handler does: a printer's page is measured in its own dots.
    if (QPaintDevice* device = document->documentLayout()->paintDevice())
        size *= device->logicalDpiY() / 96.0;
    return size;
}

void PictureObject::drawObject(QPainter* painter, const QRectF& rect, QTextDocument* document, int,
                               const QTextFormat& format) {
    const QImage image = pictureIn(document, format.toImageFormat().name());
    if (image.isNull())
        return;
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->drawImage(rect, image);
    painter->restore();
}

QUrl mailAddressOnly(const QUrl& url) {
    // A '?' written encoded in the address would become a query again in the mail program.
    QString address = url.path(QUrl::FullyDecoded);
    address.truncate(address.indexOf(QLatin1Char('?')) < 0 ? address.size()
                                                           : address.indexOf(QLatin1Char('?')));
    QUrl mail;
    mail.setScheme(QStringLiteral("mailto"));
    mail.setPath(address, QUrl::DecodedMode);
    return mail;
}

HelpBrowser::HelpBrowser(const HelpFile& file, QWidget* parent)
    : QTextBrowser(parent), m_file(file) {
    // Links are followed here, so that web addresses never reach loadResource.
    setOpenLinks(false);
    setOpenExternalLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &HelpBrowser::followLink);
    // Topics are written for black text on a white page, and their stylesheet says so.
    // What it leaves to the palette (list bullets, links, the page beyond the text) is
    // taken from the same page, not from the desktop: on a dark or high-contrast desktop
    // the bullets would be white and the links yellow on that white page.
    QPalette page = palette();
    page.setColor(QPalette::Base, Qt::white);
    page.setColor(QPalette::Text, Qt::black);
    page.setColor(QPalette::Link, QColor(0, 0, 255));
    page.setColor(QPalette::LinkVisited, QColor(255, 0, 255));
    setPalette(page);
    // The view colours a link from the application's palette as it reads the page, not
    // from its own; a rule of the page's own style sheet still comes after this one.
    document()->setDefaultStyleSheet(QStringLiteral("a[href] { color: #0000ff; }"));
    document()->documentLayout()->registerHandler(QTextFormat::ImageObject,
                                                  new PictureObject(this));
    installTopicAccessible();
}

bool HelpBrowser::focusNextPrevChild(bool next) {
    const int before = textCursor().position();
    if (!QTextBrowser::focusNextPrevChild(next))
        return false;
    // Still here: the cursor now holds the next link, selected.
    const QTextCursor cursor = textCursor();
    const QString link = linkAtCursor();
    if (!link.isEmpty() && cursor.position() != before) {
        if (QAccessible::isActive()) {
            QAccessibleTextSelectionEvent selection(this, cursor.selectionStart(),
                                                    cursor.selectionEnd());
            selection.setCursorPosition(cursor.position());
            QAccessible::updateAccessibility(&selection);
        }
        announce(this, link);
    }
    return true;
}

QString HelpBrowser::linkAtCursor() const {
    const QTextCursor cursor = textCursor();
    if (!hasFocus() || !cursor.hasSelection() || !cursor.charFormat().isAnchor())
        return {};
    return tr("%1, link").arg(cursor.selectedText().simplified());
}

QUrl HelpBrowser::resolved(const QUrl& link) const {
    if (!link.isRelative())
        return link;
    const QUrl base = source().isValid() && !source().isEmpty() ? source() : rootUrl();
    return base.resolved(link);
}

void HelpBrowser::followLink(const QUrl& link) {
    const QUrl url = resolved(link);
    if (url.scheme() == kTopicScheme) {
        if (url != source()) // a click on the current topic must not add to the history
            setSource(url);
    } else if (url.scheme().compare(QLatin1String("mailto"), Qt::CaseInsensitive) == 0) {
        QDesktopServices::openUrl(mailAddressOnly(url));
    } else if (isWebLink(url)) {
        QDesktopServices::openUrl(url);
    }
}

void HelpBrowser::doSetSource(const QUrl& name, QTextDocument::ResourceType) {
    // Every topic is a page, whatever its name ends in: Markdown would bypass the limits.
    const auto page = [](const QUrl& url) { return url.adjusted(QUrl::RemoveFragment); };
    if (page(resolved(name)) == page(source())) {
        QTextBrowser::doSetSource(name, QTextDocument::HtmlResource); // only scrolls
        return;
    }
    // A document without a page size is not laid out: the page is read and brought
    // within the caps first, and laid out once its size is restored. What is shown now
    // is laid out to the end first, so that no layout left pending runs on the new page.
    QTextDocument* document = this->document();
    document->pageCount();
    const QSizeF pageSize = document->pageSize();
    document->setPageSize(QSizeF(0, 0));
    QTextBrowser::doSetSource(name, QTextDocument::HtmlResource);
    fitPage(document);
    document->setPageSize(pageSize);
    if (!name.fragment().isEmpty())
        scrollToAnchor(name.fragment());
    // The new text has gone out as changed text; a reader reads the page on this.
    if (QAccessible::isActive()) {
        QAccessibleEvent loaded(this, QAccessible::DocumentLoadComplete);
        QAccessible::updateAccessibility(&loaded);
    }
}

QVariant HelpBrowser::loadResource(int type, const QUrl& name) {
    const QUrl url = resolved(name);
    switch (type) {
    case QTextDocument::HtmlResource:
        return page(url);
    case QTextDocument::StyleSheetResource: {
        if (++m_styleSheets > kMaxStyleSheets)
            return QStringLiteral("");
        const auto data = m_file.read(url);
        return data ? QString::fromUtf8(data->left(static_cast<qsizetype>(kMaxTopicBytes)))
                    : QStringLiteral("");
    }
    case QTextDocument::ImageResource:
        return picture(url);
    default: {
        const auto data = m_file.read(url);
        return data ? *data : QByteArray("");
    }
    }
}

QVariant HelpBrowser::page(const QUrl& url) {
    m_styleSheets = 0;
    m_picturePixels = 0;
    const auto data = m_file.read(url);
    if (!data)
        return missingTopicPage(url);
    // Read as the view would read the bytes: by the page's own charset declaration.
    QStringDecoder decoder = QStringDecoder::decoderForHtml(*data);
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(*data);
    return QString::fromStdString(limitTopic(text.toStdString()).html);
}

QVariant HelpBrowser::picture(const QUrl& url) {
    const auto data = m_file.read(url);
    const QByteArray format = data ? pictureFormat(*data) : QByteArray();
    if (format.isEmpty())
        return blank();
    QBuffer buffer;
    buffer.setData(*data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoDetectImageFormat(false);
    const QSize size = reader.size();
    const qint64 pixels = size.isValid() ? qint64(size.width()) * size.height() : 0;
    if (pixels <= 0 || pixels > kMaxPicturePixels || size.width() > kMaxPictureSide ||
        size.height() > kMaxPictureSide || m_picturePixels + pixels > kMaxTopicPicturePixels)
        return blank();
    m_picturePixels += pixels;
    const QImage image = reader.read();
    return image.isNull() ? blank() : image;
}

} // namespace bmi::help
