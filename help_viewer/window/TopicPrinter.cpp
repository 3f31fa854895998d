#include "window/TopicPrinter.h"

#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTextEdit>

namespace bmi::help {

void printTopic(QTextEdit* view, QWidget* parent) {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QObject::tr("Print Topic"));
    if (view->textCursor().hasSelection())
        dialog.setOption(QAbstractPrintDialog::PrintSelection);
    if (dialog.exec() == QDialog::Accepted)
        view->print(&printer);
}

void previewTopic(QTextEdit* view, QWidget* parent) {
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog preview(&printer, parent);
    preview.setWindowTitle(QObject::tr("Print Preview"));
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, view,
                     [view](QPrinter* target) { view->print(target); });
    preview.exec();
}

} // namespace bmi::help
