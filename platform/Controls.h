#pragma once
// The design's control kinds over Qt widgets. Each keeps the design's properties that
// code reads back as Qt properties with the design's names, in real-valued twips.

#include "platform/ComboBox.h"
#include "platform/Slider.h"
#include "platform/TwipsBox.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace bmi {

class Label : public QLabel, public TwipsBox {
    Q_OBJECT
    Q_PROPERTY(double Left READ Left WRITE setLeft)
    Q_PROPERTY(double Top READ Top WRITE setTop)
    Q_PROPERTY(double Width READ Width WRITE setWidth)
    Q_PROPERTY(double Height READ Height WRITE setHeight)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(QColor BackColor READ BackColor WRITE setBackColor)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE setAutoSize)

public:
    explicit Label(QWidget* parent = nullptr);

    QString Caption() const { return text(); }
    // An auto-sizing label takes the width and height of its new caption.
    void setCaption(const QString& caption);
    QColor BackColor() const { return m_backColor; }
    // An invalid colour leaves the label transparent over its container.
    void setBackColor(const QColor& color);
    bool AutoSize() const { return m_autoSize; }
    void setAutoSize(bool on) { m_autoSize = on; }

    // Takes the current caption and place as the label's design, which copies start from.
    void keepAsDesign();
    // A new member of this label's indexed set: same design, same parent, hidden. It
    // starts from element 0's design caption and size, not from what they became since.
    Label* copy(const QString& objectName) const;

private:
    void applyTwips() override;
    QColor m_backColor;
    bool m_autoSize = false;
    QString m_designCaption;
    double m_designLeft = 0, m_designTop = 0, m_designWidth = 0, m_designHeight = 0;
};

// A line between two points, drawn on its container's surface; not clickable.
class Line : public QWidget {
    Q_OBJECT
    Q_PROPERTY(double X1 READ X1 WRITE setX1)
    Q_PROPERTY(double Y1 READ Y1 WRITE setY1)
    Q_PROPERTY(double X2 READ X2 WRITE setX2)
    Q_PROPERTY(double Y2 READ Y2 WRITE setY2)

public:
    explicit Line(QWidget* parent = nullptr);

    double X1() const { return m_x1; }
    double Y1() const { return m_y1; }
    double X2() const { return m_x2; }
    double Y2() const { return m_y2; }
    void setX1(double v);
    void setY1(double v);
    void setX2(double v);
    void setY2(double v);
    void setPoints(double x1, double y1, double x2, double y2);

    // End points in the container's pixels.
    QPoint p1() const;
    QPoint p2() const;

    // Takes the current end points as the line's design, which copies start from.
    void keepAsDesign();
    Line* copy(const QString& objectName) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void applyGeometry();
    double m_x1 = 0, m_y1 = 0, m_x2 = 0, m_y2 = 0;
    double m_designX1 = 0, m_designY1 = 0, m_designX2 = 0, m_designY2 = 0;
};

// A frame: an etched border with an optional caption on its top edge. Children are
// placed from the frame's outer corner, so Top 0 lies on the caption line.
class Frame : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)

public:
    explicit Frame(QWidget* parent = nullptr);
    QString Caption() const { return m_caption; }
    void setCaption(const QString& caption);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_caption;
};

// One-line text box that keeps its caret and selection while it lacks the focus, so
// that a click elsewhere and back finds them as they were.
class TextBox : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(QString Text READ text WRITE setText)
    Q_PROPERTY(int SelStart READ SelStart)

public:
    explicit TextBox(QWidget* parent = nullptr);
    // Where the selection starts when text is selected, else the caret position.
    int SelStart() const { return hasSelectedText() ? selectionStart() : cursorPosition(); }

protected:
    void focusOutEvent(QFocusEvent* event) override;
};

class CommandButton : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ text WRITE setText)

public:
    explicit CommandButton(QWidget* parent = nullptr);
    // The compiled-in picture at path as the button's icon, at its own size; on a screen
    // of more than one device pixel to the point, its high-density variant.
    void setPicture(const QString& path);

protected:
    bool event(QEvent* event) override;
};

// A picture at its own size with an optional thin border, reporting mouse events.
class Image : public QLabel {
    Q_OBJECT
    Q_PROPERTY(int BorderStyle READ BorderStyle WRITE setBorderStyle)

public:
    explicit Image(QWidget* parent = nullptr);
    int BorderStyle() const { return m_borderStyle; }
    void setBorderStyle(int style); // 0 none, 1 fixed single
    // Shows the compiled-in picture at path; on a screen of more than one device pixel to
    // the point, its high-density variant at the same size.
    void setPicture(const QString& path);

signals:
    void MouseMove();
    void MouseUp(Qt::MouseButton button);
    void Click();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void showDenseIfAsked();

    int m_borderStyle = 0;
    bool m_pressed = false;
    QString m_densePicture; // read only once the pixel ratio asks for it
};

} // namespace bmi
