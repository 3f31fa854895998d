#include "help_viewer/HelpBrowser.h"

#include "help_viewer/HelpFile.h"
#include "help_viewer/TopicLimits.h"

#include <QBuffer>
#include <QDesktopServices>
#include <QImage>
#include <QImageReader>
#include <QStringDecoder>
#include <QTextDocument>

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

} // namespace

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
    QTextBrowser::doSetSource(name, QTextDocument::HtmlResource);
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
    if (pixels <= 0 || pixels > kMaxPicturePixels ||
        m_picturePixels + pixels > kMaxTopicPicturePixels)
        return blank();
    m_picturePixels += pixels;
    const QImage image = reader.read();
    return image.isNull() ? blank() : image;
}

} // namespace bmi::help
