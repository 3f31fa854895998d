#include "feet_inches_dialog/frmFtToInches.h"

#include "calc/FeetInches.h"
#include "platform/Controls.h"
#include "platform/Design.h"
#include "platform/KeyRouting.h"
#include "platform/Platform.h"
#include "platform/Twips.h"

#include <QKeyEvent>
#include <QLineEdit>

#include <variant>

namespace bmi {

namespace {

// Client area 204 by 61 pixels.
constexpr double kDialogScaleWidth = 3060;
constexpr double kDialogScaleHeight = 915;
// Light magenta; only a one-pixel strip at the right shows beside Frame1.
constexpr std::uint32_t kDialogBackColor = 0x00FF80FF;
constexpr std::uint32_t kLightOrange = 0x0080C0FF;

using K = Kind;

// Frame1 covers the client area; its top edge lies 4 pixels above it, out of sight.
// One row, one control: kept as written.
// clang-format off
constexpr ControlDesign kDesign[]{
    {.name = "Frame1", .kind = K::Frame, .left = 0, .top = -60, .width = 3045, .height = 975,
     .tabIndex = 0, .backColor = kLightOrange},
    {.name = "cmbFt", .kind = K::ComboBox, .parent = "Frame1", .caption = "5'", .left = 300,
     .top = 360, .width = 615, .height = 315, .tabIndex = 1, .toolTip = "Height in feet",
     .accessibleName = "Feet"},
    {.name = "cmbIn", .kind = K::ComboBox, .parent = "Frame1", .caption = "0\"", .left = 1020,
     .top = 360, .width = 615, .height = 315, .tabIndex = 2,
     .toolTip = "remainder height in inches", .accessibleName = "Inches"},
    {.name = "cmdClose", .kind = K::CommandButton, .parent = "Frame1", .caption = "&Enter",
     .left = 1980, .top = 300, .width = 975, .height = 405, .tabIndex = 3},
};
// clang-format on

// 0 inches is no entry: it comes back only by typing it or by opening the dialog again.
const QStringList& feetEntries() {
    static const QStringList entries{QStringLiteral("3'"), QStringLiteral("4'"),
                                     QStringLiteral("5'"), QStringLiteral("6'"),
                                     QStringLiteral("7'")};
    return entries;
}

const QStringList& inchEntries() {
    static const QStringList entries = [] {
        QStringList list;
        for (int i = 1; i <= 11; ++i)
            list << QString::number(i) + QLatin1Char('"');
        return list;
    }();
    return entries;
}

// The first entry of an empty list becomes its selection and overwrites the design
// text; put the text back, with the entry that matches it (if any) as the selection so
// that the arrow keys step on from there.
void fillKeepingText(ComboBox& list, const QStringList& entries) {
    const QString text = list.currentText();
    list.addItems(entries);
    list.setCurrentIndex(list.findText(text));
    list.setEditText(text);
}

QString problemPrompt(calc::FeetInchesProblem problem) {
    switch (problem) {
    case calc::FeetInchesProblem::FeetUnreadable:
        return QStringLiteral("The feet list does not hold a usable number of feet, such as 5'.");
    case calc::FeetInchesProblem::InchesUnreadable:
        return QStringLiteral(
            "The inches list does not hold a usable number of inches, such as 6\".");
    case calc::FeetInchesProblem::TotalOutOfRange:
        break;
    }
    return QStringLiteral("The height in feet and inches is too large to convert to inches.");
}

} // namespace

frmFtToInches::frmFtToInches(Platform& platform, QLineEdit* txtHT, ComboBox* cmbHT)
    : QDialog(txtHT->window(), Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_platform(platform), m_txtHT(txtHT), m_cmbHT(cmbHT) {
    setObjectName(QStringLiteral("frmFtToInches"));
    setWindowTitle(QStringLiteral("Feet to Inches Calcualtor"));
    setFixedSize(twipsToPixels(kDialogScaleWidth), twipsToPixels(kDialogScaleHeight));
    setDesignBack(this, QPalette::Window, QPalette::WindowText, kDialogBackColor);
    setAutoFillBackground(true);

    const BuiltDesign built = buildDesign(this, kDesign);
    m_c.Frame1 = built.control<Frame>(QStringLiteral("Frame1"));
    m_c.cmbFt = built.control<ComboBox>(QStringLiteral("cmbFt"));
    m_c.cmbIn = built.control<ComboBox>(QStringLiteral("cmbIn"));
    m_c.cmdClose = built.control<CommandButton>(QStringLiteral("cmdClose"));

    fillKeepingText(*m_c.cmbFt, feetEntries());
    fillKeepingText(*m_c.cmbIn, inchEntries());

    // Enter and Escape are routed here before any control or QDialog itself sees them:
    // the dialog has no default button, and Escape must click the Enter button, while
    // the close box (which QDialog also turns into reject()) writes nothing.
    routeKeysThrough(this, this);

    connect(m_c.cmdClose, &QPushButton::clicked, this, &frmFtToInches::cmdClose_Click);
    m_c.cmbFt->setFocus(Qt::OtherFocusReason);
}

frmFtToInches::~frmFtToInches() = default;

// The dialog carries the calculator's icon, for the window list and the task switcher.
void frmFtToInches::showEvent(QShowEvent* event) {
    setWindowIcon(m_txtHT->window()->windowIcon());
    QDialog::showEvent(event);
}

bool frmFtToInches::dialogKey(QObject* target, const QKeyEvent* key) {
    if (isHeldEnterOrEscape(key))
        return true;
    if (key->key() == Qt::Key_Escape) {
        m_c.cmdClose->click(); // the cancel button
        return true;
    }
    if (isEnter(key)) {
        // No default button: Enter clicks only the button that has the focus.
        if (target == m_c.cmdClose)
            m_c.cmdClose->click();
        return true;
    }
    return false;
}

bool frmFtToInches::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && dialogKey(watched, static_cast<QKeyEvent*>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

void frmFtToInches::keyPressEvent(QKeyEvent* event) {
    // Keys that reach the dialog itself (no control has the focus, or a control passed
    // the key on) must not meet QDialog's own Escape-means-reject handling.
    if (dialogKey(this, event))
        return;
    QDialog::keyPressEvent(event);
}

void frmFtToInches::cmdClose_Click() {
    const calc::FeetInchesOutcome outcome = calc::feetAndInchesToInches(
        m_c.cmbFt->Text().toStdString(), m_c.cmbIn->Text().toStdString());
    if (const auto* problem = std::get_if<calc::FeetInchesProblem>(&outcome)) {
        m_platform.msgBox(this, problemPrompt(*problem), MessageIcon::Exclamation);
        return;
    }
    // The height first, then the unit: selecting the unit blanks the result display.
    if (m_txtHT)
        m_txtHT->setText(QString::number(std::get<std::int16_t>(outcome)));
    if (m_cmbHT)
        m_cmbHT->selectEntry(0);
    accept();
}

QPointF feetInchesDialogPlace(double mLeft, double mTop, double mWidth, double mScaleWidth,
                              double mScaleTop, double bLeft, double bTop, double bWidth) {
    // Half the outer width less the client width is one side border's thickness.
    const float left = toSingle(mLeft + (mWidth - mScaleWidth) / 2 + bLeft + bWidth + 30);
    const float top = toSingle(mTop - mScaleTop + bTop + 200);
    return {left, top};
}

} // namespace bmi
