#pragma once

#include <QDialog>
#include <QPointF>

class QLineEdit;

namespace bmi {

class ComboBox;
class Platform;

// The feet-and-inches dialog. Data flows one way: the two lists' texts are read when
// Enter (or Escape) is pressed, turned into inches, and written straight into the main
// window's height box, whose unit list is then set to inches. Closing by the close box
// writes nothing.
class frmFtToInches : public QDialog {
    Q_OBJECT

public:
    // txtHT and cmbHT are the main window's height box and unit list.
    frmFtToInches(Platform& platform, QLineEdit* txtHT, ComboBox* cmbHT);
    ~frmFtToInches() override;
};

// The dialog's outer top-left corner on the screen, in twips: M is the main window
// (outer left, top and width, client width and client top), B the picture button's
// design Left, Top and Width inside its frame.
QPointF FeetInchesDialogPlace(double mLeft, double mTop, double mWidth, double mScaleWidth,
                              double mScaleTop, double bLeft, double bTop, double bWidth);

} // namespace bmi
