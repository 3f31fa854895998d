#include "window/SearchPane.h"

#include "window/HelpBrowser.h"
#include "window/HelpFile.h"
#include "window/ViewerStyle.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTextBlock>
#include <QVBoxLayout>

#include <string_view>

namespace bmi::help {

namespace {

constexpr int kUrlRole = Qt::UserRole;
const QColor kMarkColour(0xff, 0xe0, 0x4d);

} // namespace

void highlightWords(QTextEdit* view, const QStringList& words) {
    QList<QTextEdit::ExtraSelection> marks;
    QTextCharFormat format;
    format.setBackground(kMarkColour);
    format.setForeground(Qt::black);
    QTextDocument* document = view->document();
    if (!words.isEmpty()) {
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
            for (const Word& word : splitWords(block.text())) {
                if (!words.contains(word.folded))
                    continue;
                QTextCursor cursor(document);
                cursor.setPosition(block.position() + static_cast<int>(word.start));
                cursor.setPosition(block.position() + static_cast<int>(word.start + word.length),
                                   QTextCursor::KeepAnchor);
                marks.append({cursor, format});
            }
        }
    }
    view->setExtraSelections(marks);
    if (!marks.isEmpty()) {
        QTextCursor first = marks.front().cursor;
        first.setPosition(first.selectionStart());
        view->setTextCursor(first);
        view->ensureCursorVisible();
    }
}

SearchPane::SearchPane(const HelpFile& file, HelpBrowser* browser, QWidget* parent)
    : QWidget(parent), m_file(file), m_browser(browser), m_words(new QLineEdit(this)),
      m_list(new QPushButton(tr("&List Topics"), this)), m_results(new QListWidget(this)),
      m_display(new QPushButton(tr("&Display"), this)) {
    auto* wordsLabel = new QLabel(tr("Type in the &words to find:"), this);
    wordsLabel->setBuddy(m_words);
    auto* resultsLabel = new QLabel(tr("Select a &topic to display:"), this);
    resultsLabel->setBuddy(m_results);
    m_words->setAccessibleName(tr("Words to find"));
    m_results->setAccessibleName(tr("Topics found"));
    m_results->setItemDelegate(new LegibleSelection(m_results));
    m_display->setEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(wordsLabel);
    layout->addWidget(m_words);
    layout->addWidget(m_list, 0, Qt::AlignRight);
    layout->addWidget(resultsLabel);
    layout->addWidget(m_results, 1);
    layout->addWidget(m_display, 0, Qt::AlignRight);

    connect(m_words, &QLineEdit::returnPressed, this, &SearchPane::listTopics);
    connect(m_list, &QPushButton::clicked, this, &SearchPane::listTopics);
    connect(m_display, &QPushButton::clicked, this, &SearchPane::displayCurrent);
    connect(m_results, &QListWidget::itemActivated, this, &SearchPane::display);
    connect(m_results, &QListWidget::itemClicked, this, &SearchPane::display);
    connect(m_results, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        m_display->setEnabled(item && (item->flags() & Qt::ItemIsEnabled));
    });
    // The marks belong to the topic they were made on.
    connect(m_browser, &QTextBrowser::sourceChanged, this,
            [this] { m_browser->setExtraSelections({}); });
}

void SearchPane::listTopics() {
    if (!m_index) {
        m_index = SearchIndex::build(
            m_file.startingTopics(),
            [this](const QUrl& url) -> std::optional<QString> {
                const auto bytes = m_file.read(url);
                if (!bytes)
                    return std::nullopt;
                return fromHelpText(
                    std::string_view(bytes->constData(), static_cast<std::size_t>(bytes->size())));
            },
            [this](const QUrl& url) { return m_file.objectKey(url); });
    }
    m_listedWords.clear();
    for (const Word& word : splitWords(m_words->text()))
        m_listedWords.append(word.folded);

    m_results->clear();
    for (const SearchIndex::Result& result : m_index->find(m_words->text())) {
        auto* item = new QListWidgetItem(result.title, m_results);
        item->setData(kUrlRole, result.url);
        item->setToolTip(tr("%n match(es)", nullptr, result.hits));
    }
    if (m_results->count() > 0) {
        m_results->setCurrentRow(0);
        m_results->setFocus(Qt::OtherFocusReason);
        return;
    }
    auto* none = new QListWidgetItem(m_listedWords.isEmpty()
                                         ? tr("Type the words to find, then List Topics.")
                                         : tr("No topic holds all of these words."),
                                     m_results);
    none->setFlags(Qt::NoItemFlags);
    m_words->selectAll();
}

void SearchPane::displayCurrent() {
    display(m_results->currentItem());
}

void SearchPane::display(QListWidgetItem* item) {
    if (!item || !(item->flags() & Qt::ItemIsEnabled))
        return;
    m_browser->followLink(item->data(kUrlRole).toUrl());
    highlightWords(m_browser, m_listedWords);
}

} // namespace bmi::help
