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
// an edit anyone should undo, and the layout runs once, after the last one. A block's
// own character format is rewritten too: a list item's number or bullet is drawn in it.
template <typename Rewrite> void rewriteCharFormats(QTextDocument* document, Rewrite rewrite) {
    struct Change {
        int position;
        int length;
        QTextCharFormat format;
    };
    std::vector<Change> changes;
    std::vector<Change> blockChanges;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        QTextCharFormat own = block.charFormat();
        if (rewrite(own))
            blockChanges.push_back({block.position(), 0, own});
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
    for (const Change& change : blockChanges) {
        cursor.setPosition(change.position);
        cursor.setBlockCharFormat(change.format);
    }
    cursor.endEditBlock();
    document->setUndoRedoEnabled(undo);
}

} // namespace bmi::help
