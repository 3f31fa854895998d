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

    void setLeft(double v) { setTwips(v, m_top, m_width, m_height); }
    void setTop(double v) { setTwips(m_left, v, m_width, m_height); }
    void setWidth(double v) { setTwips(m_left, m_top, v, m_height); }
    void setHeight(double v) { setTwips(m_left, m_top, m_width, v); }
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
