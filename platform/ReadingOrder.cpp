#include "platform/ReadingOrder.h"

#include "platform/Controls.h"

#include <QAccessible>
#include <QAccessibleWidget>

#include <algorithm>
#include <vector>

namespace bmi {

namespace {

// The frame's controls in rows from top to bottom, each row left to right. A row runs
// from the control whose middle is highest to every control whose middle lies within
// that control's height. Lines are drawing, not content, and a control that is hidden
// or whose middle lies outside the frame is not on the screen to be read.
std::vector<QWidget*> readingOrder(const QWidget* frame) {
    std::vector<QWidget*> shown;
    for (QObject* child : frame->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (w && !w->isWindow() && !qobject_cast<Line*>(w) && !w->isHidden() &&
            frame->rect().contains(w->geometry().center()))
            shown.push_back(w);
    }
    const auto middle = [](const QWidget* w) { return w->geometry().center(); };
    std::stable_sort(shown.begin(), shown.end(), [&](const QWidget* a, const QWidget* b) {
        return middle(a).y() < middle(b).y();
    });
    for (auto row = shown.begin(); row != shown.end();) {
        const int bottom = (*row)->geometry().bottom();
        const auto end = std::find_if(row, shown.end(),
                                      [&](const QWidget* w) { return middle(w).y() > bottom; });
        std::stable_sort(row, end, [&](const QWidget* a, const QWidget* b) {
            return middle(a).x() < middle(b).x();
        });
        row = end;
    }
    return shown;
}

class FrameAccessible : public QAccessibleWidget {
public:
    explicit FrameAccessible(QWidget* frame) : QAccessibleWidget(frame, QAccessible::Grouping) {}

    int childCount() const override { return static_cast<int>(readingOrder(widget()).size()); }

    QAccessibleInterface* child(int index) const override {
        const std::vector<QWidget*> children = readingOrder(widget());
        if (index < 0 || index >= static_cast<int>(children.size()))
            return nullptr;
        return QAccessible::queryAccessibleInterface(children[static_cast<std::size_t>(index)]);
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        const std::vector<QWidget*> children = readingOrder(widget());
        const auto found =
            std::find(children.begin(), children.end(), child ? child->object() : nullptr);
        return found == children.end() ? -1 : static_cast<int>(found - children.begin());
    }
};

QAccessibleInterface* frameInterface(const QString& className, QObject* object) {
    if (className == QLatin1String(Frame::staticMetaObject.className()) && object &&
        object->isWidgetType())
        return new FrameAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

} // namespace

void readFramesInReadingOrder() {
    static const bool installed = (QAccessible::installFactory(frameInterface), true);
    (void)installed;
}

} // namespace bmi
