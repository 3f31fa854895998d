#include "platform/Slider.h"

#include "platform/Twips.h"

#include <QMouseEvent>
#include <QStyleOptionSlider>

#include <cmath>

namespace bmi {

Slider::Slider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    // The user's own moves (keyboard, dragging) are the new value.
    connect(this, &QAbstractSlider::valueChanged, this, [this](int v) {
        if (!m_settingValue)
            m_value = v;
    });
}

void Slider::setValueUnclamped(int value) {
    m_value = value;
    m_settingValue = true;
    setValue(value); // QSlider clamps: the thumb goes to the nearer end
    m_settingValue = false;
}

void Slider::initStyleOption(QStyleOptionSlider* option) const {
    QSlider::initStyleOption(option);
    // Drawing, hit tests and dragging all place the thumb within this narrower rectangle.
    const double half = style()->pixelMetric(QStyle::PM_SliderLength, option, this) / 2.0;
    const int left = static_cast<int>(std::lround(kThumbInsetLeft / kTwipsPerPixel - half));
    const int right = static_cast<int>(std::lround(kThumbInsetRight / kTwipsPerPixel - half));
    if (left >= 0 && right >= 0 && option->rect.width() > left + right + 2 * half)
        option->rect.adjust(left, 0, -right, 0);
}

void Slider::applyTwips() {
    setGeometry(twipsRect(m_left, m_top, m_width, m_height));
}

void Slider::mousePressEvent(QMouseEvent* event) {
    QSlider::mousePressEvent(event);
    // Every button's release must come back here, not only the one QSlider uses.
    event->accept();
}

void Slider::mouseReleaseEvent(QMouseEvent* event) {
    QSlider::mouseReleaseEvent(event);
    emit MouseUp(event->button());
}

} // namespace bmi
