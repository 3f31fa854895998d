#include "main_window/frmBMI.h"

#include "calc/KeyFilter.h"
#include "calc/Measurement.h"
#include "feet_inches_dialog/frmFtToInches.h"
#include "links/AdvertPointer.h"
#include "links/HtmlHelp.h"
#include "links/WebLinks.h"
#include "main_window/frmBMIDesign.h"
#include "platform/Application.h"
#include "platform/Controls.h"
#include "platform/Design.h"
#include "platform/KeyRouting.h"
#include "platform/PictureIcon.h"
#include "platform/Platform.h"
#include "resources/Resources.h"

#include <QIcon>
#include <QInputMethodEvent>
#include <QKeyEvent>

namespace bmi {

namespace {

QString indexed(const char* name, int index) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

std::string utf8(const QString& s) {
    return s.toStdString();
}

// The character code a key press produces, as the measurement boxes judge it: 8 for
// Backspace, 1..26 for Ctrl+letter, the character for printable text; 0 for keys
// that produce no character (arrows, Delete, Shift, function keys) and for Tab.
int characterCode(const QKeyEvent* k) {
    const auto mods = k->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (k->key() == Qt::Key_Backspace)
        return mods & Qt::ControlModifier ? 127 : calc::kKeyBackspace;
    if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab)
        return 0;
    if (mods == Qt::ControlModifier && k->key() >= Qt::Key_A && k->key() <= Qt::Key_Z)
        return k->key() - Qt::Key_A + 1;
    if (mods != Qt::NoModifier)
        return 0;
    const QString text = k->text();
    if (text.isEmpty() || !text.at(0).isPrint())
        return 0;
    return text.at(0).unicode();
}

// The core names a refusal's box by its style number; anything but the information style
// shows the exclamation icon.
MessageIcon iconOf(const calc::Rejection& rejection) {
    return rejection.Style == calc::kStyleInformation ? MessageIcon::Information
                                                      : MessageIcon::Exclamation;
}

} // namespace

frmBMI::frmBMI(Platform& platform, QWidget* parent) : QWidget(parent), m_platform(platform) {
    initResources();
    setObjectName(QStringLiteral("frmBMI"));
    setWindowTitle(QStringLiteral("Body Mass Index Calculator - ") +
                   QString::fromLatin1(kMakerSite).section(QStringLiteral("://"), 1));
    // The designed 32x32 icon, with the same drawing at the other sizes a desktop asks for.
    setWindowIcon(programIcon());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(twipsToPixels(kMainScaleWidth), twipsToPixels(kMainScaleHeight));
    setDesignBack(this, QPalette::Window, QPalette::WindowText, kMainBackColor);
    setAutoFillBackground(true);

    const BuiltDesign built = buildDesign(this, mainWindowDesign());
    m_c.Frame1 = built.control<Frame>(QStringLiteral("Frame1"));
    m_c.Frame2 = built.control<Frame>(QStringLiteral("Frame2"));
    for (int i = 0; i < 4; ++i)
        m_c.Label1[i] = built.control<Label>(indexed("Label1", i));
    m_c.txtHT = built.control<TextBox>(QStringLiteral("txtHT"));
    m_c.txtWT = built.control<TextBox>(QStringLiteral("txtWT"));
    m_c.cmbHT = built.control<ComboBox>(QStringLiteral("cmbHT"));
    m_c.cmbWT = built.control<ComboBox>(QStringLiteral("cmbWT"));
    m_c.cmbPerson = built.control<ComboBox>(QStringLiteral("cmbPerson"));
    m_c.lblPerson = built.control<Label>(QStringLiteral("lblPerson"));
    m_c.CmdDetail = built.control<CommandButton>(QStringLiteral("CmdDetail"));
    m_c.cmdCalculate = built.control<CommandButton>(QStringLiteral("cmdCalculate"));
    m_c.cmdHLP = built.control<CommandButton>(QStringLiteral("cmdHLP"));
    m_c.cmdClose = built.control<CommandButton>(QStringLiteral("cmdClose"));
    m_c.cmdHomePage = built.control<CommandButton>(QStringLiteral("cmdHomePage"));
    m_c.imgAD = built.control<Image>(QStringLiteral("imgAD"));
    m_c.Slider1 = built.control<Slider>(QStringLiteral("Slider1"));
    for (int i = 0; i < calc::kBandCount; ++i)
        m_c.lblColor[i] = built.control<Label>(indexed("lblColor", i));
    m_c.Tick.push_back(built.control<Line>(indexed("Tick", 0)));
    m_c.lblBMIValue.push_back(built.control<Label>(indexed("lblBMIValue", 0)));
    m_c.lblBMI = built.control<Label>(QStringLiteral("lblBMI"));
    m_c.LineSlider = built.control<Line>(QStringLiteral("LineSlider"));

    m_c.Slider1->setRange(13, 45);
    m_c.Slider1->setSingleStep(1);
    m_c.Slider1->setPageStep(5);

    // Enter and Escape belong to the default and cancel buttons from every control, but
    // not inside an open drop-down, which is a window of its own and needs both keys.
    routeKeysThrough(this, this);

    // Calculate is the window's default button: drawn with the default frame and said to
    // be the default to assistive tools. Enter itself is routed by the filter above.
    m_c.cmdCalculate->setDefault(true);
    connect(m_c.cmdCalculate, &QPushButton::clicked, this, &frmBMI::cmdCalculate_Click);
    connect(m_c.Slider1, &Slider::MouseUp, this, &frmBMI::Slider1_MouseUp);
    connect(m_c.CmdDetail, &QPushButton::clicked, this, &frmBMI::CmdDetail_Click);
    connect(m_c.cmdHLP, &QPushButton::clicked, this, &frmBMI::cmdHLP_Click);
    connect(m_c.cmdHomePage, &QPushButton::clicked, this, &frmBMI::cmdHomePage_Click);
    connect(m_c.cmdClose, &QPushButton::clicked, this, &frmBMI::cmdClose_Click);
    connect(m_c.imgAD, &Image::Click, this, &frmBMI::imgAD_Click);
    connect(m_c.imgAD, &Image::MouseMove, this,
            [this] { advertMouseMove(m_platform, *m_c.imgAD); });
    connect(m_c.imgAD, &Image::MouseUp, this, [this] { advertMouseUp(*m_c.imgAD); });
    for (ComboBox* list : {m_c.cmbHT, m_c.cmbWT}) {
        connect(list, &ComboBox::Click, this, &frmBMI::ClearResult);
        // Delete or a paste into the edit field changes the unit without a Click.
        connect(list, &QComboBox::editTextChanged, this, &frmBMI::ClearResult);
        list->setTypingPicksNothing(true);
    }
    // Paste, Delete and undo bypass the key filter but change the entry all the same.
    for (TextBox* box : {m_c.txtHT, m_c.txtWT})
        connect(box, &QLineEdit::textChanged, this, &frmBMI::ClearResult);

    Form_Load();
}

frmBMI::~frmBMI() {
    delete m_dialog;
}

frmFtToInches* frmBMI::feetInchesDialog() const {
    return m_dialog;
}

void frmBMI::Form_Load() {
    m_dialog = new frmFtToInches(m_platform, m_c.txtHT, m_c.cmbHT);
    m_c.cmbPerson->hide();
    m_c.lblPerson->hide();
    m_c.cmbHT->addItems({QStringLiteral("inches"), QStringLiteral("centimeters")});
    m_c.cmbWT->addItems({QStringLiteral("pounds"), QStringLiteral("kilograms")});
    m_c.cmbHT->selectEntry(0);
    m_c.cmbWT->selectEntry(0);
    layoutScale();
    m_c.txtHT->setFocus(Qt::OtherFocusReason);
}

// ---- Result display -------------------------------------------------------------

void frmBMI::ClearResult() {
    m_c.Slider1->setValueUnclamped(0);
    m_c.lblBMI->setBackColor(designColor(kSysWindowBackground, m_c.lblBMI->palette()));
    m_c.lblBMI->setCaption(QString());
    m_c.lblBMI->setAccessibleDescription(QString());
}

void frmBMI::ShowResult(const calc::BMIResult& result) {
    m_c.lblBMI->setCaption(QString::fromStdString(result.DisplayText));
    m_c.Slider1->setValueUnclamped(result.SliderValue);
    const Label& band = *m_c.lblColor[static_cast<std::size_t>(result.Band)];
    m_c.lblBMI->setBackColor(band.BackColor());
    // The colour names the category; say it in words too for those who can't see it.
    m_c.lblBMI->setAccessibleDescription(band.Caption());
    m_platform.announce(m_c.lblBMI,
                        QStringLiteral("BMI %1, %2").arg(m_c.lblBMI->Caption(), band.Caption()));
}

void frmBMI::cmdCalculate_Click() {
    const calc::Validation v =
        calc::ValidateAndConvert(utf8(m_c.txtHT->text()), utf8(m_c.cmbHT->Text()),
                                 utf8(m_c.txtWT->text()), utf8(m_c.cmbWT->Text()));
    if (const auto* rejection = std::get_if<calc::Rejection>(&v)) {
        m_platform.msgBox(this, QString::fromStdString(rejection->Prompt), iconOf(*rejection));
        return;
    }
    ShowResult(calc::ComputeBMI(std::get<calc::MetricEntry>(v)));
}

void frmBMI::Slider1_MouseUp() {
    m_c.Slider1->setValueUnclamped(
        calc::roundHalfEven(calc::leadingReading(utf8(m_c.lblBMI->Caption()))));
}

// ---- Scale ----------------------------------------------------------------------

void frmBMI::layoutScale() {
    Slider& slider = *m_c.Slider1;
    Line& axis = *m_c.LineSlider;
    axis.setX1(slider.Left() + Slider::kThumbInsetLeft);
    axis.setX2(slider.Left() + slider.Width() - Slider::kThumbInsetRight);
    const float s = toSingle((axis.X2() - axis.X1()) / (slider.maximum() - slider.minimum()));

    constexpr int kTicks = 8;
    for (int k = 0; k < kTicks; ++k) {
        if (k > 0) {
            // Copies stack as their element 0 does: ticks under the result label,
            // numbers under the axis.
            Line* tick = m_c.Tick[0]->copy(indexed("Tick", k));
            tick->stackUnder(m_c.lblBMI);
            m_c.Tick.push_back(tick);
            Label* number = m_c.lblBMIValue[0]->copy(indexed("lblBMIValue", k));
            number->stackUnder(m_c.LineSlider);
            m_c.lblBMIValue.push_back(number);
        }
        const int v = 15 + 5 * k;
        const float x = toSingle(axis.X1() + static_cast<double>(s) * (v - slider.minimum()));
        Line& tick = *m_c.Tick[k];
        tick.setX1(x);
        tick.setX2(tick.X1());
        tick.setY1(axis.Y1());
        tick.setY2(tick.Y1() + 300);
        tick.setVisible(true);

        Label& number = *m_c.lblBMIValue[k];
        const double w = number.Width(); // before the caption changes it
        number.setLeft(toSingle(tick.X1() - w / 2));
        number.setTop(tick.Y2());
        number.setCaption(QString::number(v));
        number.setVisible(true);
    }

    auto T = [this](int k) { return m_c.Tick[k]->X1(); };
    const double A = axis.X1();
    const std::array<std::pair<double, double>, calc::kBandCount> edges{{
        {A, T(1) - A},
        {T(1), T(2) - T(1)},
        {T(2), T(3) - T(2)},
        {T(3), T(5) - T(3)},
        {T(5), T(6) - T(5) + 10},
    }};
    const Label& first = *m_c.lblColor[0];
    for (int b = 0; b < calc::kBandCount; ++b) {
        Label& band = *m_c.lblColor[b];
        band.setLeft(toSingle(edges[b].first));
        band.setWidth(toSingle(edges[b].second));
        if (b > 0) {
            band.setTop(first.Top());
            band.setHeight(first.Height());
        }
    }
}

// ---- Keys -----------------------------------------------------------------------

std::int16_t frmBMI::AscSingle(std::int16_t KeyAscii, QLineEdit* txtName) {
    auto* box = static_cast<TextBox*>(txtName);
    const QString text = box->text();
    if (calc::admitsKey(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                            static_cast<std::size_t>(text.size())),
                        box->SelStart(), KeyAscii))
        return KeyAscii;
    m_platform.beep();
    return 0;
}

bool frmBMI::measurementKey(QLineEdit* box, QEvent* event) {
    if (event->type() == QEvent::InputMethod) {
        const QString commit = static_cast<QInputMethodEvent*>(event)->commitString();
        // Committed text passes the same filter, one character at a time. Text still
        // being composed never reaches the box: it would replace the selection and
        // show characters the filter has not judged.
        for (const QChar ch : commit) {
            ClearResult();
            if (AscSingle(static_cast<std::int16_t>(ch.unicode()), box) != 0)
                box->insert(QString(ch));
        }
        return true;
    }
    auto* key = static_cast<QKeyEvent*>(event);
    const auto alt = key->modifiers() & (Qt::AltModifier | Qt::MetaModifier);
    if (alt && !(key->modifiers() & Qt::ControlModifier) && !key->text().isEmpty())
        return true; // Alt+key types nothing
    const int code = characterCode(key);
    if (code == 0)
        return false;
    ClearResult();
    if (AscSingle(static_cast<std::int16_t>(code), box) == 0)
        return true;
    if (code == calc::kKeyBackspace) {
        // Ctrl+H is the same character as Backspace, so it erases the same way.
        box->backspace();
        return true;
    }
    box->insert(QString(QChar(static_cast<char16_t>(code))));
    return true;
}

bool frmBMI::unitListKey(QEvent* event) {
    // Unit lists are chosen from, never typed into: characters are swallowed silently.
    if (event->type() == QEvent::InputMethod)
        return true;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Backspace)
        return true;
    return characterCode(key) != 0 || (!key->text().isEmpty() && key->text().at(0).isPrint());
}

bool frmBMI::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (isHeldEnterOrEscape(key))
            return true;
        if (isEnter(key)) {
            auto* button = qobject_cast<QPushButton*>(watched);
            (button ? button : m_c.cmdCalculate)->click();
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            m_c.cmdClose->click();
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::InputMethod) {
        if (watched == m_c.txtHT || watched == m_c.txtWT)
            return measurementKey(static_cast<QLineEdit*>(watched), event);
        if (watched == m_c.cmbHT || watched == m_c.cmbWT)
            return unitListKey(event);
    }
    return QWidget::eventFilter(watched, event);
}

// ---- Buttons and links ----------------------------------------------------------

void frmBMI::CmdDetail_Click() {
    if (!m_dialog)
        m_dialog = new frmFtToInches(m_platform, m_c.txtHT, m_c.cmbHT);
    const QRect outer = frameGeometry();
    const ControlDesign& button = designRow(mainWindowDesign(), "CmdDetail");
    const QPointF place = feetInchesDialogPlace(
        outer.x() * kTwipsPerPixel, outer.y() * kTwipsPerPixel, outer.width() * kTwipsPerPixel,
        kMainScaleWidth, 0, button.left, button.top, button.width);
    m_dialog->move(twipsToPixels(place.x()), twipsToPixels(place.y()));
    m_dialog->hide();
    m_dialog->exec();
    // Every closing destroys the dialog, so the next opening starts from its design.
    delete m_dialog;
}

void frmBMI::cmdHLP_Click() {
    ShowHelp(m_platform, this);
}

void frmBMI::cmdHomePage_Click() {
    openWebPage(m_platform, this, makerPageUrl(kHomePage));
}

void frmBMI::imgAD_Click() {
    openWebPage(m_platform, this, makerPageUrl(kSuitePage));
}

void frmBMI::cmdClose_Click() {
    close();
}

} // namespace bmi
