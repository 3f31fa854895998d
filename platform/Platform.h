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

class Platform {
public:
    virtual ~Platform() = default;

    // Modal box with one OK button; style 48 warning icon, 64 information icon.
    // Lines in prompt are joined by "\r\n". An empty title means the application title.
    virtual void MsgBox(QWidget* parent, const QString& prompt, int style,
                        const QString& title = {}) = 0;
    virtual void Beep() = 0;

    // The real directory of the program file, no trailing "/" except at the root.
    virtual QString AppPath() const = 0;
    QString AppTitle() const { return kAppTitle; }

    // Opens file with the desktop's handler. Above 32 means started; 32 or less is an
    // error code in the shell's numbering.
    virtual std::int32_t ShellExecute(QWidget* owner, const QString& operation, const QString& file,
                                      const QString& parameters, const QString& directory,
                                      int showCommand) = 0;

    // Hands request ("path>window") to our help viewer. Returns the error number of a
    // failed call (kErrFileNotFound when the viewer is missing), 0 otherwise.
    virtual int HtmlHelp(QWidget* caller, const QString& request, int command, int data) = 0;

    // The system's hand pointer, or nothing when it cannot be loaded.
    virtual std::optional<QCursor> LoadHandCursor() = 0;
    virtual void SetCursor(QWidget* widget, const QCursor& cursor) = 0;
};

} // namespace bmi
