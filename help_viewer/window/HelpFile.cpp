#include "window/HelpFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace bmi::help {

namespace {

constexpr int kMinWidth = 200;
constexpr int kMinHeight = 150;
// How much of the top edge must be on a screen for the user to reach the title bar.
constexpr int kMinGrip = 100;
// Contents and index files larger than this are not worth a tree.
constexpr std::size_t kMaxSiteMapSize = 4u * 1024u * 1024u;

ByteSpan span(const std::optional<std::vector<std::uint8_t>>& data) {
    return data ? ByteSpan(*data) : ByteSpan();
}

SiteMap readSiteMap(const HelpFile& file, const std::string& local) {
    if (local.empty())
        return {};
    const auto data = file.read(topicUrl(fromHelpText(local)));
    if (!data)
        return {};
    const std::string_view text(data->constData(),
                                std::min<std::size_t>(data->size(), kMaxSiteMapSize));
    return parseSiteMap(text);
}

QString cannotOpen(const QString& path, const QString& reason) {
    return QStringLiteral("The help file \"%1\" could not be opened.\n%2")
        .arg(QDir::toNativeSeparators(path), reason);
}

} // namespace

HelpRequest parseRequest(const QString& request) {
    // The window name follows the last '>' unless that '>' belongs to a folder name.
    const qsizetype sep = request.lastIndexOf(QLatin1Char('>'));
    if (sep < 0)
        return {request, {}};
    const QString window = request.mid(sep + 1);
    if (window.contains(QLatin1Char('/')) || window.contains(QLatin1Char('\\')))
        return {request, {}};
    return {request.left(sep), window};
}

QUrl rootUrl() {
    QUrl url;
    url.setScheme(kTopicScheme);
    url.setPath(QStringLiteral("/"));
    return url;
}

QUrl topicUrl(const QString& local) {
    QString path = local.trimmed();
    // A topic may be written as "file.chm::/topic.html"; it is looked up in this file.
    const qsizetype storage = path.indexOf(QStringLiteral("::"));
    if (storage >= 0)
        path = path.mid(storage + 2);
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QUrl relative(path, QUrl::TolerantMode);
    if (!relative.scheme().isEmpty())
        return relative; // a web address or similar; not ours to read
    return rootUrl().resolved(relative);
}

QString fromHelpText(std::string_view text) {
    const QByteArray bytes =
        QByteArray::fromRawData(text.data(), static_cast<qsizetype>(text.size()));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8.decode(bytes);
    if (!utf8.hasError())
        return decoded;
    return QString::fromLatin1(bytes);
}

std::optional<QRect> usableGeometry(const WindowRect& rect, const QList<QRect>& screens) {
    if (rect.width() < kMinWidth || rect.height() < kMinHeight)
        return std::nullopt;
    const QRect wanted(rect.left, rect.top, rect.width(), rect.height());
    for (const QRect& screen : screens) {
        // The row where the title bar goes must be on this screen for long enough.
        const QRect grip =
            QRect(wanted.left(), wanted.top(), wanted.width(), 1).intersected(screen);
        if (grip.width() < kMinGrip)
            continue;
        return QRect(wanted.topLeft(), QSize(std::min(wanted.width(), screen.width()),
                                             std::min(wanted.height(), screen.height())));
    }
    return std::nullopt;
}

std::unique_ptr<HelpFile> HelpFile::open(const QString& path, const QString& windowName,
                                         QString* error) {
    auto fail = [&](const QString& reason) {
        if (error)
            *error = cannotOpen(path, reason);
        return nullptr;
    };
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable())
        return fail(QStringLiteral("It is missing or cannot be read."));
    const QString damaged = QStringLiteral("It is damaged or is not a help file.");

    auto chm = ChmFile::open(QFile::encodeName(info.absoluteFilePath()).toStdString());
    if (!chm)
        return fail(damaged);
    std::unique_ptr<HelpFile> file(new HelpFile(std::move(chm)));
    file->m_path = info.absoluteFilePath();

    const auto systemData = file->m_file->read("/#SYSTEM");
    const auto system = parseSystem(span(systemData));
    if (!system)
        return fail(damaged);
    const auto windowsData = file->m_file->read("/#WINDOWS");
    const auto stringsData = file->m_file->read("/#STRINGS");
    // The window asked for, else the file's own default window.
    auto window = findWindow(span(windowsData), span(stringsData), windowName.toStdString());
    if (!window)
        window = findWindow(span(windowsData), span(stringsData), system->defaultWindow);
    const WindowDef def = window.value_or(WindowDef{});

    std::string defaultTopic = system->defaultTopic;
    if (defaultTopic.empty())
        defaultTopic = def.defaultPage;
    if (defaultTopic.empty())
        defaultTopic = def.homePage;
    if (defaultTopic.empty())
        return fail(QStringLiteral("It names no topic to show."));
    file->m_defaultTopic = topicUrl(fromHelpText(defaultTopic));
    if (file->m_defaultTopic.scheme() != kTopicScheme || !file->read(file->m_defaultTopic))
        return fail(damaged);
    file->m_homePage =
        def.homePage.empty() ? file->m_defaultTopic : topicUrl(fromHelpText(def.homePage));

    file->m_caption = fromHelpText(def.caption);
    if (file->m_caption.isEmpty())
        file->m_caption = fromHelpText(system->title);
    if (file->m_caption.isEmpty())
        file->m_caption = info.completeBaseName();
    file->m_rect = def.rect;

    const std::string contents = def.contentsFile.empty() ? system->contentsFile : def.contentsFile;
    const std::string index = def.indexFile.empty() ? system->indexFile : def.indexFile;
    file->m_contents = readSiteMap(*file, contents);
    file->m_index = readSiteMap(*file, index);
    return file;
}

namespace {

std::string objectPath(const QUrl& url) {
    QString path = url.path();
    if (!path.startsWith(QLatin1Char('/')))
        path.prepend(QLatin1Char('/'));
    return path.toStdString();
}

} // namespace

std::vector<QUrl> HelpFile::startingTopics() const {
    std::vector<QUrl> topics{m_defaultTopic, m_homePage};
    // The lists nest no deeper than kMaxSiteMapDepth.
    const auto walk = [&topics](const auto& self,
                                const std::vector<SiteMapEntry>& entries) -> void {
        for (const SiteMapEntry& entry : entries) {
            if (!entry.local.empty())
                topics.push_back(topicUrl(fromHelpText(entry.local)));
            self(self, entry.children);
        }
    };
    walk(walk, m_contents.entries);
    walk(walk, m_index.entries);
    return topics;
}

QString HelpFile::objectKey(const QUrl& url) const {
    if (url.scheme() != kTopicScheme)
        return {};
    const auto location = m_file->locate(objectPath(url));
    if (!location)
        return {};
    return QStringLiteral("%1:%2:%3")
        .arg(location->section)
        .arg(location->offset)
        .arg(location->length);
}

std::optional<QByteArray> HelpFile::read(const QUrl& url) const {
    if (url.scheme() != kTopicScheme)
        return std::nullopt;
    const auto data = m_file->read(objectPath(url));
    if (!data)
        return std::nullopt;
    return QByteArray(reinterpret_cast<const char*>(data->data()),
                      static_cast<qsizetype>(data->size()));
}

} // namespace bmi::help
