#pragma once

#include "calc/Bmi.h"

#include <QPointer>
#include <QWidget>

#include <array>
#include <cstdint>
#include <vector>

class QLineEdit;

namespace bmi {

class ComboBox;
class CommandButton;
class Frame;
class Image;
class Label;
class Line;
class Platform;
class Slider;
class TextBox;
class frmFtToInches;

// Every control of the main window, by its design name.
struct MainControls {
    Frame* Frame1 = nullptr;
    Frame* Frame2 = nullptr;
    std::array<Label*, 4> Label1{};
    TextBox* txtHT = nullptr;
    TextBox* txtWT = nullptr;
    ComboBox* cmbHT = nullptr;
    ComboBox* cmbWT = nullptr;
    ComboBox* cmbPerson = nullptr;
    Label* lblPerson = nullptr;
    CommandButton* CmdDetail = nullptr;
    CommandButton* cmdCalculate = nullptr;
    CommandButton* cmdHLP = nullptr;
    CommandButton* cmdClose = nullptr;
    CommandButton* cmdHomePage = nullptr;
    Image* imgAD = nullptr;
    Slider* Slider1 = nullptr;
    std::array<Label*, calc::kBandCount> lblColor{};
    std::vector<Line*> Tick;         // element 0 designed, 1..7 made by the scale layout
    std::vector<Label*> lblBMIValue; // likewise
    Label* lblBMI = nullptr;
    Line* LineSlider = nullptr;
};

// The main window. Data flows from the four entry controls (two boxes, two unit lists)
// through the calculation core into the result display (lblBMI and Slider1). Every
// change of an entry blanks that display, so a shown result always belongs to the
// entries beside it. The feet-and-inches dialog writes into txtHT and cmbHT; the
// links go out through the platform.
class frmBMI : public QWidget {
    Q_OBJECT

public:
    explicit frmBMI(Platform& platform, QWidget* parent = nullptr);
    ~frmBMI() override;

    const MainControls& controls() const { return m_c; }
    // The feet-and-inches dialog while it exists (hidden from start-up, or open).
    frmFtToInches* feetInchesDialog() const;

    void ClearResult();
    void ShowResult(const calc::BMIResult& result);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void layoutScale();
    std::int16_t AscSingle(std::int16_t KeyAscii, QLineEdit* txtName);
    bool measurementKey(QLineEdit* box, QEvent* event);
    bool unitListKey(QEvent* event);

    void cmdCalculate_Click();
    void Slider1_MouseUp();
    void CmdDetail_Click();
    void cmdHLP_Click();
    void cmdHomePage_Click();
    void imgAD_Click();
    void cmdClose_Click();

    Platform& m_platform;
    MainControls m_c;
    QPointer<frmFtToInches> m_dialog;
};

} // namespace bmi
