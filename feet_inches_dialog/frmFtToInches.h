#pragma once

#include <QDialog>
#include <QPointF>
#include <QPointer>

class QKeyEvent;
class QLineEdit;

namespace bmi {

class ComboBox;
class CommandButton;
class Frame;
class Platform;

// Every control of the dialog, by its design name.
struct FeetInchesControls {
    Frame* Frame1 = nullptr;
    ComboBox* cmbFt = nullptr;
    ComboBox* cmbIn = nullptr;
    CommandButton* cmdClose = nullptr;
};

// The feet-and-inches dialog. Data flows one way: the texts of cmbFt and cmbIn are
// read only when the Enter button is clicked (by mouse, Alt+E, Space or Enter on the
// button, or Escape anywhere), turned into inches by the calculation core, and written
// straight into the main window's height box; its unit list is then set to inches,
// which blanks the main window's result. A text that cannot be used is reported and
// nothing is written. The close box writes nothing. The dialog keeps no state of its
// own: the main window destroys it after every closing and builds a fresh one, so
// each opening starts from the design texts.
class frmFtToInches : public QDialog {
    Q_OBJECT

public:
    // txtHT and cmbHT are the main window's height box and unit list.
    frmFtToInches(Platform& platform, QLineEdit* txtHT, ComboBox* cmbHT);
    ~frmFtToInches() override;

    const FeetInchesControls& controls() const { return m_c; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    bool dialogKey(QObject* target, const QKeyEvent* key);
    void cmdClose_Click();

    Platform& m_platform;
    QPointer<QLineEdit> m_txtHT;
    QPointer<ComboBox> m_cmbHT;
    FeetInchesControls m_c;
};

// The dialog's outer top-left corner on the screen, in twips: M is the main window
// (outer left, top and width, client width and client top), B the picture button's
// design Left, Top and Width inside its frame.
QPointF feetInchesDialogPlace(double mLeft, double mTop, double mWidth, double mScaleWidth,
                              double mScaleTop, double bLeft, double bTop, double bWidth);

} // namespace bmi
