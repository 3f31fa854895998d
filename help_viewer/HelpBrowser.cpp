#include "help_viewer/HelpBrowser.h"

#include "help_viewer/HelpFile.h"

#include <QDesktopServices>
#include <QTextDocument>

namespace bmi::help {

namespace {

QString MissingTopicPage(const QUrl& url) {
    return QStringLiteral("<html><head><title>Topic not found</title></head><body>"
                          "<h2>Topic not found</h2>"
                          "<p>This help file has no page \"%1\".</p></body></html>")
        .arg(url.path().toHtmlEscaped());
}

bool IsWebLink(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
           scheme == QLatin1String("mailto");
}

} // namespace

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
    const QUrl base = source().isValid() && !source().isEmpty() ? source() : RootUrl();
    return base.resolved(link);
}

void HelpBrowser::followLink(const QUrl& link) {
    const QUrl url = resolved(link);
    if (url.scheme() == kTopicScheme) {
        if (url != source()) // a click on the current topic must not add to the history
            setSource(url);
    } else if (IsWebLink(url))
        QDesktopServices::openUrl(url);
}

QVariant HelpBrowser::loadResource(int type, const QUrl& name) {
    const QUrl url = resolved(name);
    const auto data = m_file.read(url);
    switch (type) {
    case QTextDocument::HtmlResource:
        // Bytes, so that the page's own charset declaration decides how it is read.
        if (data)
            return *data;
        return MissingTopicPage(url);
    case QTextDocument::StyleSheetResource:
        return data ? QString::fromUtf8(*data) : QString();
    default:
        // An empty answer rather than none: with none, the document would try to read
        // a file: address from the disk itself.
        return data ? *data : QByteArray();
    }
}

} // namespace bmi::help
