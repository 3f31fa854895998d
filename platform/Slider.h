#pragma once

#include "platform/TwipsBox.h"

#include <QSlider>

namespace bmi {

// A horizontal slider whose Value may be any int: the thumb shows at the nearer end
// of Min..Max while Value reads back exactly what was set. The thumb's centre travels
// from 190 twips inside the left edge (at Min) to 220 twips inside the right edge (at
// Max), as on the slider the design was drawn for: scales laid out beneath it from
// those insets line up with the thumb.
class Slider : public QSlider, public TwipsBox {
    Q_OBJECT
    Q_PROPERTY(int Value READ Value WRITE setValueUnclamped)
    Q_PROPERTY(int Min READ minimum)
    Q_PROPERTY(int Max READ maximum)
    Q_PROPERTY(double Left READ Left)
    Q_PROPERTY(double Top READ Top)
    Q_PROPERTY(double Width READ Width)
    Q_PROPERTY(double Height READ Height)

public:
    static constexpr double kThumbInsetLeft = 190;  // twips
    static constexpr double kThumbInsetRight = 220; // twips

    explicit Slider(QWidget* parent = nullptr);
    int Value() const { return m_value; }
    // Value keeps what the program set, even where the thumb stops at an end.
    void setValueUnclamped(int value);

signals:
    void MouseUp(Qt::MouseButton button);

protected:
    void initStyleOption(QStyleOptionSlider* option) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void applyTwips() override;
    int m_value = 0;
    bool m_settingValue = false;
};

} // namespace bmi
