#include "NulCharacters.h"

#include "model/BaseDatabaseObject.h"

#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QValidator>

#include <algorithm>
#include <vector>

namespace {

const QString kNulRuleName = QStringLiteral("nulCharacterRule");
constexpr QChar kNul{u'\0'};

// A line's text without its NUL characters, the cursor kept among the characters that stay;
// any other text is acceptable, as in a line without a check.
class WithoutNul : public QValidator
{
public:
    using QValidator::QValidator;

    State validate(QString& text, int& position) const override
    {
        if (text.contains(kNul)) {
            position = static_cast<int>(withoutNulCharacters(text.left(position)).size());
            text = withoutNulCharacters(text);
        }
        return Acceptable;
    }
};

// Takes the NUL characters out of `document`, which keeps no undo, in runs: the layout is asked
// nothing, as it would be to delete them one character at a time.
void dropRuns(QTextDocument& document)
{
    struct Run {
        int from;
        int length;
    };
    std::vector<Run> runs;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        for (qsizetype at = text.indexOf(kNul); at >= 0; at = text.indexOf(kNul, at)) {
            qsizetype end = at + 1;
            while (end < text.size() && text.at(end) == kNul)
                ++end;
            runs.push_back({block.position() + static_cast<int>(at), static_cast<int>(end - at)});
            at = end;
        }
    }
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    // From the last run back, so that the places of those before it still hold.
    for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
        cursor.setPosition(run->from);
        cursor.setPosition(run->from + run->length, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
    cursor.endEditBlock();
}

// Takes out the NUL characters that a change of `document` brought in (`added` characters from
// `from` on), in one edit that joins the change's own step of undo: what the change brought from
// its first NUL on is put back without them, formats and paragraphs kept, so that a redo leaves
// the caret where the change ends, as the change did. An edit for each NUL would leave a step for
// each to undo, and deleting them a character at a time asks the layout where the next character
// begins, which lays the whole paragraph out again: a long pasted line holding many NULs took
// minutes to paste and seconds to undo.
void dropAdded(QTextDocument& document, int from, int added)
{
    // The change may count the paragraph end that closes the document, which no cursor passes.
    const int end = std::min(from + added, document.characterCount() - 1);
    int first = -1;
    for (QTextBlock block = document.findBlock(from); first < 0 && block.isValid() && block.position() < end;
         block = block.next()) {
        const qsizetype at = block.text().indexOf(kNul, std::max(from - block.position(), 0));
        if (at >= 0 && block.position() + at < end)
            first = block.position() + static_cast<int>(at);
    }
    if (first < 0)
        return;
    QTextCursor brought(&document);
    brought.setPosition(first);
    brought.setPosition(end, QTextCursor::KeepAnchor);
    QTextDocument kept;
    kept.setUndoRedoEnabled(false);
    QTextCursor keptCursor(&kept);
    keptCursor.insertFragment(brought.selection());
    dropRuns(kept);
    keptCursor.select(QTextCursor::Document);
    brought.joinPreviousEditBlock();
    if (keptCursor.hasSelection())
        brought.insertFragment(keptCursor.selection());
    else
        brought.removeSelectedText();
    brought.endEditBlock();
}

void watchDocument(QWidget& view, QTextDocument* document)
{
    // Connected at polish, after the view's own connections: the view's text-changed signal
    // follows the document's contentsChanged, which comes after this one.
    QObject::connect(document, &QTextDocument::contentsChange, &view, [document](int from, int, int added) {
        if (added > 0)
            dropAdded(*document, from, added);
    });
}

class NulRule : public QObject
{
public:
    explicit NulRule(QObject* parent) : QObject(parent) { setObjectName(kNulRuleName); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Polish)
            return false;
        if (auto* line = qobject_cast<QLineEdit*>(watched)) {
            if (!line->validator())
                line->setValidator(new WithoutNul(line));
        } else if (auto* view = qobject_cast<QTextEdit*>(watched)) {
            watchDocument(*view, view->document());
        } else if (auto* plain = qobject_cast<QPlainTextEdit*>(watched)) {
            watchDocument(*plain, plain->document());
        }
        return false;
    }
};

} // namespace

namespace NulCharacters {

void dropFromEveryField(QApplication& application)
{
    if (application.findChild<QObject*>(kNulRuleName, Qt::FindDirectChildrenOnly))
        return;
    application.installEventFilter(new NulRule(&application));
}

} // namespace NulCharacters
