#pragma once
// The viewer's style: the desktop's own, through a proxy that draws one icon itself.
//
// A toolbar asks for its overflow button's icon the moment it is made, and Qt's common
// style reads that icon from PNG files in a way that first loads and asks every
// installed image-format plugin: milliseconds at every start, for a button that shows
// only when the toolbar runs out of room. The proxy answers with a chevron it draws in
// the palette's button-text colour, so the icon also follows a dark or high-contrast
// desktop.

#include <QProxyStyle>
#include <QStyledItemDelegate>

namespace bmi::help {

class ViewerStyle final : public QProxyStyle {
    Q_OBJECT
public:
    ViewerStyle() = default;

    QIcon standardIcon(StandardPixmap which, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};

// Draws the lists' entries with selected text that stands out from the selection. A
// desktop's palette may pair its highlight with text that does not (white on a yellow
// high-contrast highlight, or on a mid blue); there the text is black or white, whichever
// stands out more. Legible pairs are left as the desktop has them.
class LegibleSelection final : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

} // namespace bmi::help
