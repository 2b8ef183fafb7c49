#include "NulCharacters.h"

#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QValidator>

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
            position -= static_cast<int>(text.left(position).count(kNul));
            text.remove(kNul);
        }
        return Acceptable;
    }
};

// Takes out the NUL characters that a change of `document` brought in (`added` characters from
// `from` on), in the change's own step of undo.
void dropAdded(QTextDocument& document, int from, int added)
{
    std::vector<int> found;
    for (QTextBlock block = document.findBlock(from); block.isValid() && block.position() <= from + added;
         block = block.next()) {
        const QString text = block.text();
        for (qsizetype at = text.indexOf(kNul); at >= 0; at = text.indexOf(kNul, at + 1))
            found.push_back(block.position() + static_cast<int>(at));
    }
    if (found.empty())
        return;
    QTextCursor cursor(&document);
    cursor.joinPreviousEditBlock();
    for (auto at = found.rbegin(); at != found.rend(); ++at) {
        cursor.setPosition(*at);
        cursor.deleteChar();
    }
    cursor.endEditBlock();
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
