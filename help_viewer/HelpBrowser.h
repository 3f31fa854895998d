#pragma once
// Shows the topics of a help file: pages, style sheets and pictures come out of the file,
// web links go to the desktop's browser.

#include <QTextBrowser>

namespace bmi::help {

class HelpFile;

class HelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    explicit HelpBrowser(const HelpFile& file, QWidget* parent = nullptr);

    QVariant loadResource(int type, const QUrl& name) override;

    // Where a link on the current page leads.
    QUrl resolved(const QUrl& link) const;

    // Follows a link the way a click does.
    void followLink(const QUrl& link);

private:
    const HelpFile& m_file;
};

} // namespace bmi::help
