#pragma once

namespace bmi {

// Left/Top/Width/Height in twips, kept exactly as set; the widget places itself from
// them, rounded, whenever one changes.
class TwipsBox {
public:
    double Left() const { return m_left; }
    double Top() const { return m_top; }
    double Width() const { return m_width; }
    double Height() const { return m_height; }

    void setLeft(double v) {
        m_left = v;
        applyTwips();
    }
    void setTop(double v) {
        m_top = v;
        applyTwips();
    }
    void setWidth(double v) {
        m_width = v;
        applyTwips();
    }
    void setHeight(double v) {
        m_height = v;
        applyTwips();
    }
    void setTwips(double left, double top, double width, double height) {
        m_left = left;
        m_top = top;
        m_width = width;
        m_height = height;
        applyTwips();
    }

protected:
    TwipsBox() = default;
    ~TwipsBox() = default;
    TwipsBox(const TwipsBox&) = default;
    TwipsBox& operator=(const TwipsBox&) = default;
    virtual void applyTwips() = 0;
    double m_left = 0, m_top = 0, m_width = 0, m_height = 0;
};

} // namespace bmi
