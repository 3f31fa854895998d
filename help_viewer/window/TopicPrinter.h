#pragma once
// Printing the shown topic. Kept apart so that the print support is touched only when
// the user asks to print.

class QTextEdit;
class QWidget;

namespace bmi::help {

// The system's print dialog, then the topic (or only the selected text, if the user
// asks for it) on the printer chosen.
void printTopic(QTextEdit* view, QWidget* parent);

// The topic as it will come out of the printer, with a way to print it from there.
void previewTopic(QTextEdit* view, QWidget* parent);

} // namespace bmi::help
