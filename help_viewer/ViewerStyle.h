#pragma once
// The viewer's style: the desktop's own, through a proxy that can hold back one icon.
//
// A toolbar gets its overflow button's icon the moment it is made, and Qt's common style
// reads that icon from PNG files in a way that first loads and asks every installed
// image-format plugin. The button shows only when the toolbar runs out of room, so while
// the help window is made the icon is left out (holdToolbarIcons), and the window has Qt
// set it once its first frame is drawn.

#include <QProxyStyle>

namespace bmi::help {

class ViewerStyle final : public QProxyStyle {
    Q_OBJECT
public:
    ViewerStyle() = default;

    // The style in use when it is a ViewerStyle, else null.
    static ViewerStyle* current();

    void holdToolbarIcons(bool hold) { m_hold = hold; }

    QIcon standardIcon(StandardPixmap which, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;

private:
    bool m_hold = false;
};

} // namespace bmi::help
