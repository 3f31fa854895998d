#pragma once
// Rewrites the character formats of a whole document in one pass. The fragments are
// collected first and changed afterwards, since setting a format while walking them
// splits and merges the very fragments being walked.

#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <vector>

namespace bmi::help {

// rewrite(format) changes format in place and says whether it did. The change is not
// an edit anyone should undo, and the layout runs once, after the last one.
template <typename Rewrite> void rewriteCharFormats(QTextDocument* document, Rewrite rewrite) {
    struct Change {
        int position;
        int length;
        QTextCharFormat format;
    };
    std::vector<Change> changes;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QTextCharFormat format = fragment.charFormat();
            if (rewrite(format))
                changes.push_back({fragment.position(), fragment.length(), format});
        }
    }
    const bool undo = document->isUndoRedoEnabled();
    document->setUndoRedoEnabled(false);
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    for (const Change& change : changes) {
        cursor.setPosition(change.position);
        cursor.setPosition(change.position + change.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(change.format);
    }
    cursor.endEditBlock();
    document->setUndoRedoEnabled(undo);
}

} // namespace bmi::help
