#include "TypingPause.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QTextEdit>

#include <utility>
#include <vector>

TypingPause::TypingPause(QObject* field, const QObject* owner, Write write)
    : QObject(field)
    , owner_(owner)
    , write_(std::move(write))
{
    setObjectName(QStringLiteral("typingPause"));
    timer_.setSingleShot(true);
    timer_.setInterval(kPauseMilliseconds);
    connect(&timer_, &QTimer::timeout, this, [this] { runOut(); });
}

TypingPause* TypingPause::watch(QLineEdit* field, const QObject* owner, Write write)
{
    auto* pause = new TypingPause(field, owner, std::move(write));
    connect(field, &QLineEdit::textEdited, pause, [pause] { pause->restart(); });
    return pause;
}

TypingPause* TypingPause::watch(QTextEdit* field, const QObject* owner, Write write)
{
    auto* pause = new TypingPause(field, owner, std::move(write));
    connect(field, &QTextEdit::textChanged, pause, [pause, field] { pause->textViewChanged(*field->document()); });
    return pause;
}

TypingPause* TypingPause::watch(QPlainTextEdit* field, const QObject* owner, Write write)
{
    auto* pause = new TypingPause(field, owner, std::move(write));
    connect(field, &QPlainTextEdit::textChanged, pause,
            [pause, field] { pause->textViewChanged(*field->document()); });
    return pause;
}

TypingPause* TypingPause::of(const QObject* field)
{
    return field ? field->findChild<TypingPause*>(QStringLiteral("typingPause"), Qt::FindDirectChildrenOnly)
                 : nullptr;
}

void TypingPause::textViewChanged(const QTextDocument& document)
{
    // Text the program puts in whole (setPlainText, setHtml, clear) is set with the document's
    // undo turned off and leaves it modified until the setter ends. Only a change that can be
    // undone is the user's, so a view that reads text in piece by piece turns undo off while
    // it does. An undo back to the text the field was filled with leaves the document
    // unmodified, but it is a change all the same: it can be redone.
    if (document.isUndoRedoEnabled() && (document.isModified() || document.isRedoAvailable()))
        restart();
}

void TypingPause::restart()
{
    typed_ = true;
    timer_.start();
}

bool TypingPause::endEdit()
{
    timer_.stop();
    return std::exchange(typed_, false);
}

bool TypingPause::endEditOf(const QObject* field)
{
    TypingPause* pause = of(field);
    return pause && pause->endEdit();
}

void TypingPause::flush()
{
    if (timer_.isActive())
        runOut();
}

void TypingPause::flushAllIn(const QObject& root)
{
    // A write may take other fields away with their pauses.
    std::vector<QPointer<TypingPause>> pauses;
    for (TypingPause* pause : root.findChildren<TypingPause*>())
        pauses.emplace_back(pause);
    for (const QPointer<TypingPause>& pause : pauses)
        if (pause)
            pause->flush();
}

void TypingPause::runOut()
{
    timer_.stop();
    if (owner_ && write_)
        write_();
}
