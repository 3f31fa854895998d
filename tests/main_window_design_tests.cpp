// The main window as built from its design: the control tree, geometry, colours, fonts
// and the window's own frame.
#include "feet_inches_dialog/frmFtToInches.h"
#include "tests/support/Contrast.h"
#include "tests/support/MainWindowTest.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QHash>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>

#include <algorithm>
#include <cmath>
#include <tuple>

namespace bmi::test {
namespace {

QRect pxRect(double left, double top, double width, double height) {
    return QRect(QPoint(px(left), px(top)), QPoint(px(left + width) - 1, px(top + height) - 1));
}

struct ControlRow {
    const char* name;
    const char* kind; // class name
    const char* parent;
    const char* caption; // nullptr: the control has none
    double left, top, width, height;
    bool autoSize;

    friend void PrintTo(const ControlRow& row, std::ostream* os) { *os << row.name; }
};

// Controls that keep their designed place; the scale's pieces move at start-up and are
// checked against their computed places elsewhere.
const ControlRow kControls[] = {
    {"Frame1", "bmi::Frame", "frmBMI", "", 30, -30, 9105, 4245, false},
    {"Label1(0)", "bmi::Label", "Frame1", "Height:", 1245, 810, 510, 195, true},
    {"txtHT", "bmi::TextBox", "Frame1", "", 1950, 750, 525, 315, false},
    {"Label1(1)", "bmi::Label", "Frame1", "in", 2580, 810, 120, 195, true},
    {"cmbHT", "bmi::ComboBox", "Frame1", "inches", 2820, 750, 1155, 315, false},
    {"CmdDetail", "bmi::CommandButton", "Frame1", "", 4050, 780, 300, 300, false},
    {"Label1(2)", "bmi::Label", "Frame1", "Weight:", 1230, 1230, 525, 195, true},
    {"txtWT", "bmi::TextBox", "Frame1", "", 1950, 1170, 525, 315, false},
    {"Label1(3)", "bmi::Label", "Frame1", "in", 2580, 1230, 120, 195, true},
    {"cmbWT", "bmi::ComboBox", "Frame1", "pounds", 2820, 1170, 1155, 315, false},
    {"lblPerson", "bmi::Label", "Frame1", "Select Person", 180, 240, 990, 195, true},
    {"cmbPerson", "bmi::ComboBox", "Frame1", "", 1500, 180, 2475, 315, false},
    {"cmdCalculate", "bmi::CommandButton", "Frame1", "Ca&lculate", 4320, 2250, 975, 405, false},
    {"cmdHLP", "bmi::CommandButton", "Frame1", "&Help", 5505, 2250, 975, 405, false},
    {"cmdClose", "bmi::CommandButton", "Frame1", "&Close", 6705, 2250, 975, 405, false},
    {"cmdHomePage", "bmi::CommandButton", "Frame1", "Home &Page", 7920, 2250, 975, 405, false},
    {"imgAD", "bmi::Image", "Frame1", nullptr, 4470, 240, 4455, 1710, false},
    {"Frame2", "bmi::Frame", "Frame1", "BMI:           ", 180, 2670, 8745, 1455, false},
    {"Slider1", "bmi::Slider", "Frame2", nullptr, 120, 570, 8505, 345, false},
    {"lblBMI", "bmi::Label", "Frame2", "", 750, 0, 795, 345, false},
};

class ControlTree : public MainWindowTest, public ::testing::WithParamInterface<ControlRow> {};

TEST_P(ControlTree, NameKindParentCaptionAndPlace) {
    const ControlRow& row = GetParam();
    auto* w = window().findChild<QWidget*>(QString::fromLatin1(row.name));
    ASSERT_NE(w, nullptr);
    EXPECT_STREQ(w->metaObject()->className(), row.kind);
    EXPECT_EQ(w->parentWidget()->objectName(), QString::fromLatin1(row.parent));
    if (row.caption) {
        const QVariant caption =
            w->property("Caption").isValid() ? w->property("Caption") : w->property("Text");
        EXPECT_EQ(caption.toString(), QString::fromUtf8(row.caption));
    }
    const QRect design = pxRect(row.left, row.top, row.width, row.height);
    if (row.autoSize) {
        // A label that fits itself to its caption keeps its corner and never clips the text.
        EXPECT_EQ(w->pos(), design.topLeft());
        EXPECT_GE(w->width(), w->sizeHint().width());
        EXPECT_GE(w->height(), w->sizeHint().height());
    } else {
        EXPECT_EQ(w->geometry(), design);
    }
}

INSTANTIATE_TEST_SUITE_P(Design, ControlTree, ::testing::ValuesIn(kControls), [](const auto& info) {
    QString n = QString::fromLatin1(info.param.name);
    return n.replace(QLatin1Char('('), QLatin1Char('_')).remove(QLatin1Char(')')).toStdString();
});

TEST_F(MainWindowTest, TheScalePiecesLieInFrame2) {
    QStringList names = {QStringLiteral("LineSlider")};
    for (int k = 0; k < 5; ++k)
        names << QStringLiteral("lblColor(%1)").arg(k);
    for (int k = 0; k < 8; ++k)
        names << QStringLiteral("Tick(%1)").arg(k) << QStringLiteral("lblBMIValue(%1)").arg(k);
    for (const QString& name : names) {
        auto* w = window().findChild<QWidget*>(name);
        ASSERT_NE(w, nullptr) << qPrintable(name);
        EXPECT_EQ(w->parentWidget()->objectName(), QStringLiteral("Frame2")) << qPrintable(name);
        // Exactly one control per name: an indexed set never holds an element twice.
        EXPECT_EQ(window().findChildren<QWidget*>(name).size(), 1) << qPrintable(name);
    }
}

TEST_F(MainWindowTest, WindowFrameTitleAndBackground) {
    EXPECT_EQ(window().windowTitle(),
              QStringLiteral("Body Mass Index Calculator - www.trevala.example"));
    // Every size the icon offers a desktop is a stored picture: one missing from the build
    // would come out empty.
    const QIcon icon = window().windowIcon();
    EXPECT_GE(icon.availableSizes().size(), 5);
    for (const QSize& size : icon.availableSizes())
        EXPECT_EQ(icon.pixmap(size, 1.0).size(), size);
    // Fixed size: the client area is the design's 9165 by 4215 twips.
    EXPECT_EQ(window().size(), QSize(611, 281));
    EXPECT_EQ(window().minimumSize(), QSize(611, 281));
    EXPECT_EQ(window().maximumSize(), QSize(611, 281));
    const Qt::WindowFlags flags = window().windowFlags();
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(flags & Qt::WindowTitleHint);
    EXPECT_EQ(window().palette().color(QPalette::Window), QColor(0xC0, 0xC0, 0xC0));
    // Frame1 covers the client area; its top border lies just above it, out of sight.
    auto* frame1 = get<Frame>(QStringLiteral("Frame1"));
    EXPECT_TRUE(frame1->geometry().contains(QRect(2, 0, 607, 281)));
}

// The hover texts are checked where assistive tools read them, with the names.
TEST_F(MainWindowTest, PictureButtonAndHiddenPersonRow) {
    EXPECT_FALSE(button("CmdDetail")->icon().isNull());
    EXPECT_FALSE(get<ComboBox>(QStringLiteral("cmbPerson"))->isVisible());
    EXPECT_FALSE(get<Label>(QStringLiteral("lblPerson"))->isVisible());
    for (const char* name : {"txtHT", "cmbHT", "txtWT", "cmbWT", "CmdDetail", "cmdCalculate",
                             "cmdHLP", "cmdClose", "cmdHomePage", "imgAD", "Slider1", "lblBMI"})
        EXPECT_TRUE(get<QWidget>(QString::fromLatin1(name))->isVisible()) << name;
}

TEST_F(MainWindowTest, EntryFieldsAreWhite) {
    for (const char* name : {"txtHT", "txtWT", "cmbHT", "cmbWT"})
        EXPECT_EQ(get<QWidget>(QString::fromLatin1(name))->palette().color(QPalette::Base),
                  QColor(Qt::white))
            << name;
}

TEST_F(MainWindowTest, BandCaptionsAndColours) {
    const struct {
        const char* caption;
        QColor color;
    } bands[] = {{"Underweight", QColor(0, 255, 255)},
                 {"Healthy", QColor(0, 255, 0)},
                 {"Overweight", QColor(255, 255, 0)},
                 {"Obese", QColor(255, 128, 128)},
                 {"Severly Obese", QColor(255, 0, 0)}};
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(band(k)->property("Caption").toString(), QString::fromLatin1(bands[k].caption));
        EXPECT_EQ(band(k)->property("BackColor").value<QColor>(), bands[k].color) << k;
        EXPECT_TRUE(band(k)->alignment() & Qt::AlignHCenter) << k;
    }
    EXPECT_EQ(lblBMI()->palette().color(QPalette::WindowText),
              QApplication::palette().color(QPalette::Text));
}

struct FontRow {
    const char* control;
    const char* family;
    double points;
    bool bold;

    friend void PrintTo(const FontRow& row, std::ostream* os) { *os << row.control; }
};

class DesignFonts : public MainWindowTest, public ::testing::WithParamInterface<FontRow> {};

TEST_P(DesignFonts, RequestedFaceSizeAndWeightWithAnInstalledFallback) {
    const FontRow& row = GetParam();
    auto* w = get<QWidget>(QString::fromLatin1(row.control));
    const QFont f = w->font();
    EXPECT_TRUE(f.families().contains(QString::fromLatin1(row.family)));
    EXPECT_DOUBLE_EQ(f.pointSizeF(), row.points);
    EXPECT_EQ(f.bold(), row.bold);
    // What was matched: the designed face where it is installed, else its metric twin
    // (the windows are laid out for its metrics), at the requested size and weight.
    const QFontInfo used(f);
    const QString expected = QFontDatabase::hasFamily(QString::fromLatin1(row.family))
                                 ? QString::fromLatin1(row.family)
                                 : QStringLiteral("Liberation Sans");
    EXPECT_EQ(used.family(), expected);
    EXPECT_NEAR(used.pointSizeF(), row.points, 0.5);
    EXPECT_EQ(used.bold(), row.bold);
}

INSTANTIATE_TEST_SUITE_P(
    Design, DesignFonts,
    ::testing::Values(
        FontRow{"Frame2", "MS Sans Serif", 12, true}, FontRow{"lblBMI", "MS Sans Serif", 12, true},
        FontRow{"lblColor(0)", "Arial", 8.25, false}, FontRow{"lblColor(1)", "Arial", 8.25, false},
        FontRow{"lblColor(2)", "Arial", 8.25, false}, FontRow{"lblColor(3)", "Arial", 8.25, false},
        FontRow{"lblColor(4)", "Arial", 8.25, false},
        // Children of the bold frame keep the window's plain default.
        FontRow{"lblBMIValue(3)", "MS Sans Serif", 8, false},
        FontRow{"Slider1", "MS Sans Serif", 8, false}, FontRow{"txtHT", "MS Sans Serif", 8, false}),
    [](const auto& info) { return "row" + std::to_string(info.index); });

// Whole text shows when, with the caret at its end, the line edit needn't scroll.
bool showsWhole(QLineEdit* edit) {
    edit->end(false);
    const int caret = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
    const int textStart = caret - edit->fontMetrics().horizontalAdvance(edit->text());
    return textStart >= edit->contentsRect().left() && caret < edit->contentsRect().right();
}

TEST_F(MainWindowTest, TextsFitTheirFixedBoxes) {
    for (ComboBox* list : {cmbHT(), cmbWT()}) {
        for (int i = 0; i < list->count(); ++i) {
            list->selectEntry(i);
            EXPECT_TRUE(showsWhole(list->lineEdit())) << qPrintable(list->itemText(i));
        }
    }
    // The longest entries the ranges admit with the one decimal the filter allows.
    for (const char* text : {"275.5", "800.5", "108.5"}) {
        txtHT()->setText(QString::fromLatin1(text));
        EXPECT_TRUE(showsWhole(txtHT())) << text;
    }
    for (int k = 0; k < 5; ++k)
        EXPECT_LE(band(k)->fontMetrics().horizontalAdvance(band(k)->text()), band(k)->width()) << k;
    for (auto* b : window().findChildren<CommandButton*>()) {
        QString shown = b->text();
        shown.remove(QLatin1Char('&'));
        EXPECT_LT(b->fontMetrics().horizontalAdvance(shown), b->width() - 4)
            << qPrintable(b->objectName());
    }
}

// ---- Legible on any desktop palette ------------------------------------------------

class Legible : public MainWindowTest, public ::testing::WithParamInterface<PaletteRow> {
protected:
    void SetUp() override {
        m_desktop = QApplication::palette();
        QApplication::setPalette(GetParam().make());
        MainWindowTest::SetUp();
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        QApplication::setPalette(m_desktop);
    }
    // Every text the window shows, each piece clear of its control's frame and of the
    // scale's lines at its edges, against what is behind it.
    void expectEveryTextLegible(const char* when) { expectEveryTextLegible(window(), when); }
    void expectEveryTextLegible(QWidget& window, const char* when) {
        const QImage shot = window.grab().toImage();
        for (QWidget* w : window.findChildren<QWidget*>()) {
            if (w->window() != &window)
                continue;
            const auto* label = qobject_cast<QLabel*>(w);
            const auto* edit = qobject_cast<QLineEdit*>(w);
            if (!w->isVisible() || (!label && !edit) || (label && label->text().isEmpty()) ||
                (edit && edit->text().isEmpty()))
                continue;
            QRect piece(w->mapTo(&window, QPoint(0, 0)), w->size());
            piece = piece.adjusted(3, 2, -3, -2) & window.rect();
            EXPECT_GE(textContrast(shot.copy(piece)), 4.5)
                << when << ": " << qPrintable(w->objectName()) << " "
                << qPrintable(label ? label->text() : edit->text());
        }
    }
    QPalette m_desktop;
};

TEST_P(Legible, EveryTextStandsOutFromWhatIsBehindIt) {
    enter(QStringLiteral("70"), 0, QStringLiteral("154"), 0);
    expectEveryTextLegible("entered");
    for (const char* weight : {"100", "154", "190", "250", "300"}) {
        txtWT()->setText(QString::fromLatin1(weight));
        button("cmdCalculate")->click();
        expectEveryTextLegible(weight);
    }
    expectEveryTextLegible(*window().feetInchesDialog(), "the feet-and-inches dialog");
}

INSTANTIATE_TEST_SUITE_P(Design, Legible, ::testing::ValuesIn(kPalettes),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace bmi::test
