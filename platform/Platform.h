#pragma once
// Everything the program asks of the window system, the shell and the help viewer,
// behind one interface so that tests can record the calls instead of making them.

#include <QCursor>
#include <QString>

#include <cstdint>
#include <optional>

class QWidget;

namespace bmi {

inline const QString kAppTitle = QStringLiteral("BMI-Trevala");

// The outcome of a help viewer request, as the error number that a failed call raises:
// 0 when the viewer was started, 53 when it cannot be found, anything else otherwise.
inline constexpr int kErrFileNotFound = 53;

// The icon beside a message box's text.
enum class MessageIcon { Exclamation, Information };

class Platform {
public:
    virtual ~Platform() = default;

    // Modal box with one OK button. Lines in prompt are joined by "\r\n". An empty title
    // means the application title.
    virtual void msgBox(QWidget* parent, const QString& prompt, MessageIcon icon,
                        const QString& title = {}) = 0;
    virtual void beep() = 0;
    // Has screen readers speak text, as for something that changed away from the focus.
    virtual void announce(QWidget* source, const QString& text) = 0;

    // The real directory of the program file, no trailing "/" except at the root.
    virtual QString appPath() const = 0;
    QString appTitle() const { return kAppTitle; }

    // Opens url in the user's browser, started in appPath(). Above 32 means started; 32 or
    // less is an error code in the shell's numbering.
    virtual std::int32_t openInBrowser(const QString& url) = 0;

    // Hands request ("path>window") to our help viewer, which opens the file's default
    // topic. Returns the error number of a failed call (kErrFileNotFound when the viewer
    // is missing), 0 otherwise.
    virtual int startHelpViewer(const QString& request) = 0;

    // The system's hand pointer, or nothing when it cannot be loaded.
    virtual std::optional<QCursor> loadHandCursor() = 0;
    virtual void SetCursor(QWidget* widget, const QCursor& cursor) = 0;
};

} // namespace bmi
