#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <functional>

class QLineEdit;
class QPlainTextEdit;
class QTextDocument;
class QTextEdit;

// The pause after the last key in a field being typed into. Every change the user makes starts it
// again; when it runs out the field's text is written as it stands, so that a crash or a power cut
// loses at most the last second of typing. What belongs to the end of an edit (capitals,
// placeholders, rebuilding other views) stays with the field's own end of editing; a copy the
// file must never hold apart from the text (a beat's description and its card's) goes with it.
//
// A pause is a child of its field and dies with it; its write is not called once `owner` (the
// view that writes) is gone. The write must catch what it throws (the views wrap it in
// guardedCall).
class TypingPause : public QObject
{
    Q_OBJECT

public:
    static constexpr int kPauseMilliseconds = 1000;
    using Write = std::function<void()>;

    // Starts the pause on each change typed, pasted, cut or undone in the field. Text set by the
    // program does not start it: a line edit tells typed text apart itself; a text view counts
    // only changes that can be undone, so its setPlainText, setHtml and clear never count, nor
    // text the program writes through a cursor while the document's undo is off.
    static TypingPause* watch(QLineEdit* field, const QObject* owner, Write write);
    static TypingPause* watch(QTextEdit* field, const QObject* owner, Write write);
    static TypingPause* watch(QPlainTextEdit* field, const QObject* owner, Write write);
    // The pause of a field, if it has one.
    static TypingPause* of(const QObject* field);

    // Starts the pause again, as a key would.
    void restart();
    // The edit ends (the field was left, or written another way): nothing waits any more.
    // Answers whether the user changed the field since the previous end, so that a field entered
    // and left without a change writes nothing even when its text was written while typing.
    bool endEdit();
    // endEdit of the field's pause; false for a field without one.
    static bool endEditOf(const QObject* field);
    // Writes now what waits, if anything does.
    void flush();
    // flush of every pause of the fields within `root`.
    static void flushAllIn(const QObject& root);
    bool isPending() const { return timer_.isActive(); }
    // How long the pause still waits; 0 when nothing waits.
    int remainingMilliseconds() const { return timer_.isActive() ? std::max(timer_.remainingTime(), 0) : 0; }

private:
    TypingPause(QObject* field, const QObject* owner, Write write);
    void runOut();
    void textViewChanged(const QTextDocument& document);

    QTimer timer_;
    QPointer<const QObject> owner_;
    Write write_;
    bool typed_ = false;
};
