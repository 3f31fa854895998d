#include "platform/Design.h"

#include "platform/Controls.h"
#include "platform/PictureData.h"

#include <QComboBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QResource>

#include <algorithm>
#include <vector>

namespace bmi {

namespace {

// Looked up in the installed families as listed: QFontDatabase::hasFamily would first
// run the name through fontconfig's substitution rules, at a cost in time and memory.
bool isInstalled(const QString& family) {
    static const QStringList installed = QFontDatabase::families();
    return installed.contains(family, Qt::CaseInsensitive);
}

} // namespace

QFont designFont(const FontSpec& face) {
    const QString designed = QString::fromLatin1(face.family);
    QStringList families{designed, QStringLiteral("Microsoft Sans Serif"),
                         QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                         QStringLiteral("DejaVu Sans")};
    // The design names Windows faces. Where the designed one is missing, fontconfig would
    // first run each missing name through its substitution rules (milliseconds at
    // start-up) before reaching the metric-compatible face the list is there to find;
    // naming that face first finds it at once, the same face with the same metrics.
    const QString twin = QStringLiteral("Liberation Sans");
    if (!isInstalled(designed) && isInstalled(twin))
        families.move(families.indexOf(twin), 0);
    QFont font;
    font.setFamilies(families);
    font.setPointSizeF(face.points);
    font.setBold(face.bold);
    return font;
}

QPixmap designPicture(const QString& path) {
    if (path.endsWith(QLatin1String(".pixels"))) {
        const QResource stored(path);
        if (stored.compressionAlgorithm() == QResource::NoCompression)
            return QPixmap::fromImage(decodePictureData(
                QByteArrayView(reinterpret_cast<const char*>(stored.data()), stored.size())));
        return QPixmap::fromImage(decodePictureData(stored.uncompressedData()));
    }
    QImageReader reader(path, QFileInfo(path).suffix().toLatin1());
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

void setDesignBack(QWidget* w, QPalette::ColorRole back, QPalette::ColorRole text,
                   std::uint32_t color) {
    if (color == kNoColor)
        return;
    QPalette pal = w->palette();
    pal.setColor(back, designColor(color, pal));
    if ((color & 0x80000000u) == 0)
        setTextLegibleOn(pal, text, pal.color(back));
    w->setPalette(pal);
}

namespace {

void setFore(QWidget* w, std::uint32_t color) {
    if (color == kNoColor)
        return;
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, designColor(color, pal));
    w->setPalette(pal);
}

QWidget* create(const ControlDesign& d, QWidget* parent) {
    const QString caption = QString::fromUtf8(d.caption ? d.caption : "");
    switch (d.kind) {
    case Kind::Frame: {
        auto* f = new Frame(parent);
        f->setCaption(caption);
        if (d.backColor != kNoColor) {
            setDesignBack(f, QPalette::Window, QPalette::WindowText, d.backColor);
            f->setAutoFillBackground(true);
        }
        f->setGeometry(twipsRect(d.left, d.top, d.width, d.height));
        return f;
    }
    case Kind::Label: {
        auto* l = new Label(parent);
        l->setAutoSize(hasFlag(d.flags, DesignFlag::AutoSize));
        l->setText(caption);
        if (hasFlag(d.flags, DesignFlag::Centered))
            l->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        if (hasFlag(d.flags, DesignFlag::SingleBorder))
            l->setFrameStyle(QFrame::Box | QFrame::Plain);
        if (d.backColor != kNoColor)
            l->setBackColor(designColor(d.backColor, l->palette()));
        setFore(l, d.foreColor);
        l->setTwips(d.left, d.top, d.width, d.height);
        l->keepAsDesign();
        return l;
    }
    case Kind::TextBox: {
        auto* t = new TextBox(parent);
        t->setText(caption);
        setDesignBack(t, QPalette::Base, QPalette::Text, d.backColor);
        t->setGeometry(twipsRect(d.left, d.top, d.width, d.height));
        return t;
    }
    case Kind::ComboBox: {
        auto* c = new ComboBox(parent);
        c->setEditText(caption);
        setDesignBack(c, QPalette::Base, QPalette::Text, d.backColor);
        c->setGeometry(twipsRect(d.left, d.top, d.width, d.height));
        return c;
    }
    case Kind::CommandButton: {
        auto* b = new CommandButton(parent);
        b->setText(caption);
        if (d.picture)
            b->setPicture(QString::fromLatin1(d.picture));
        b->setGeometry(twipsRect(d.left, d.top, d.width, d.height));
        return b;
    }
    case Kind::Image: {
        auto* i = new Image(parent);
        if (d.picture)
            i->setPicture(QString::fromLatin1(d.picture));
        i->setGeometry(twipsRect(d.left, d.top, d.width, d.height));
        return i;
    }
    case Kind::Slider: {
        auto* s = new Slider(parent);
        s->setTwips(d.left, d.top, d.width, d.height);
        return s;
    }
    case Kind::Line: {
        auto* l = new Line(parent);
        l->setPoints(d.left, d.top, d.width, d.height);
        l->keepAsDesign();
        return l;
    }
    }
    return nullptr;
}

bool takesFocus(Kind k) {
    return k == Kind::TextBox || k == Kind::ComboBox || k == Kind::CommandButton ||
           k == Kind::Slider;
}

} // namespace

BuiltDesign buildDesign(QWidget* window, std::span<const ControlDesign> table) {
    BuiltDesign built;
    std::vector<std::pair<int, QWidget*>> focusChain;
    for (const ControlDesign& d : table) {
        QWidget* parent = d.parent ? built.byName.value(QString::fromLatin1(d.parent)) : window;
        if (!parent)
            qFatal("buildDesign: %s names a parent, %s, that no earlier row made", d.name,
                   d.parent);
        QWidget* w = create(d, parent);
        w->setObjectName(QString::fromLatin1(d.name));
        // Every control gets its font explicitly: a Qt child would otherwise inherit its
        // frame's bold caption font. A list whose inherited font is already its own is
        // left without one, since a font of its own makes QComboBox build its drop-down.
        const QFont font = designFont(d.font ? *d.font : kDefaultFont);
        if (d.kind != Kind::ComboBox || w->font() != font)
            w->setFont(font);
        if (d.accessibleName) {
            w->setAccessibleName(QString::fromUtf8(d.accessibleName));
            // On X11 and Wayland, Qt names a list by its value and ignores its own name,
            // but the focus an assistive tool follows is the list's edit field.
            if (auto* list = qobject_cast<QComboBox*>(w); list && list->lineEdit())
                list->lineEdit()->setAccessibleName(w->accessibleName());
        }
        if (d.toolTip)
            w->setToolTip(QString::fromUtf8(d.toolTip));
        w->setFocusPolicy(takesFocus(d.kind) ? Qt::StrongFocus : Qt::NoFocus);
        if (takesFocus(d.kind) && d.tabIndex >= 0)
            focusChain.emplace_back(d.tabIndex, w);
        built.byName.insert(w->objectName(), w);
    }
    for (const ControlDesign& d : table)
        if (d.labelFor)
            built.control<QLabel>(QString::fromLatin1(d.name))
                ->setBuddy(built.control<QWidget>(QString::fromLatin1(d.labelFor)));
    std::sort(focusChain.begin(), focusChain.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < focusChain.size(); ++i)
        QWidget::setTabOrder(focusChain[i - 1].second, focusChain[i].second);
    return built;
}

const ControlDesign& designRow(std::span<const ControlDesign> table, std::string_view name) {
    const auto row = std::find_if(table.begin(), table.end(),
                                  [name](const ControlDesign& d) { return d.name == name; });
    if (row == table.end())
        qFatal("designRow: the table has no row %.*s", static_cast<int>(name.size()), name.data());
    return *row;
}

} // namespace bmi
