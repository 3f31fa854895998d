#include "feet_inches_dialog/frmFtToInches.h"

namespace bmi {

frmFtToInches::frmFtToInches(Platform&, QLineEdit*, ComboBox*) : QDialog(nullptr) {
    setObjectName(QStringLiteral("frmFtToInches"));
    setWindowTitle(QStringLiteral("Feet to Inches Calcualtor"));
}

frmFtToInches::~frmFtToInches() = default;

QPointF FeetInchesDialogPlace(double mLeft, double mTop, double mWidth, double mScaleWidth,
                              double mScaleTop, double bLeft, double bTop, double bWidth) {
    const float left = static_cast<float>(mLeft + (mWidth - mScaleWidth) / 2 + bLeft + bWidth + 30);
    const float top = static_cast<float>(mTop - mScaleTop + bTop + 200);
    return {left, top};
}

} // namespace bmi
