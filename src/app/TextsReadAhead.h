#pragma once

#include "HashSlots.h"
#include "TextHeights.h"

#include <QFont>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_set>
#include <vector>

class QThread;

// The texts of a long list read ahead of need, each in the face it shows in, on threads of their
// own (TextHeights::read), while the story loads or the window is built around the list: the list's
// TextHeights then takes each text as read (TextHeights::takeReadingsFrom) and only counts its
// lines. The texts are read from the last back, as a list fitting its rows from the top reaches
// them last.
//
// Made, asked and ended on one thread, the asker. The first thread makes the texts and their faces
// (a source, which may read them from the story's file); the threads then take texts in turn, read
// them with a TextHeights and copies of the faces of their own (a font keeps the engines it finds
// for the thread that found them; the asker only compares the faces) and hand the readings over in
// batches, under a lock; the asker takes in what was handed over when it misses a text. Ending it
// stops the threads, each after the text in hand, and waits for them.
class TextsReadAhead
{
public:
    // A text and the face it shows in: a place in the faces.
    struct Text {
        QString text;
        std::uint8_t face = 0;
    };
    // What the source made: the faces, the texts, and what they are of, in the source's words.
    struct Texts {
        std::vector<QFont> faces;
        std::vector<Text> texts;
        std::int64_t kind = 0;
    };
    // Makes the texts, on the first thread; gives up, answering nothing, once `stop` is set.
    using Source = std::function<std::optional<Texts>(const std::atomic<bool>& stop)>;

    // Starts making the texts and reading them, on as many threads as the machine has cores beside
    // the asker's (one at least, three at most).
    explicit TextsReadAhead(Source source);
    ~TextsReadAhead();
    TextsReadAhead(const TextsReadAhead&) = delete;
    TextsReadAhead& operator=(const TextsReadAhead&) = delete;

    // Stops the source if it is still at work, or keeps it from starting, and waits for it: what
    // the texts are of, or nothing when it made none.
    std::optional<std::int64_t> finishSource();
    // Texts read from now on are measured at `width` too (TextHeights::read), as the list will
    // first ask for them.
    void measureAt(int width) { width_.store(width, std::memory_order_relaxed); }
    // The place of the face equal to `font` (-1: none), once the texts are made; nothing before.
    std::optional<std::ptrdiff_t> faceOf(const QFont& font);
    // The reading of `text` (whose textHash is `hash`) in the face `face`, once a thread has read
    // it; each reading is given once.
    std::optional<TextHeights::Reading> take(std::size_t face, const QString& text, std::uint64_t hash);
    // The asker read the text of `hash` in the face `face` itself: the threads pass over it.
    void readHere(std::size_t face, std::uint64_t hash);
    // Whether the threads have ended: every text read, or the threads stopped.
    bool finished() const;
    // How many readings were given so far.
    std::size_t given() const { return given_; }

private:
    struct Read {
        QString text;
        std::uint64_t hash = 0;
        std::uint8_t face = 0;
        std::optional<TextHeights::Reading> reading;
    };
    enum class Making { NotYet, Making, Made, Skipped };

    // Makes the texts (the first thread), or waits until they are made; answers whether there are.
    bool waitForTexts(bool first);
    // Reads the texts it takes, in copies of the faces of its own.
    void readTexts();
    // Takes in what the threads have handed over since last asked.
    void takeHandedOver();

    Source source_;
    std::atomic<bool> stopSource_{false};
    // Under making_: how far the source is, and what it made (only read, by every thread, once made).
    std::mutex making_;
    std::condition_variable made_;
    Making state_ = Making::NotYet;
    std::optional<Texts> texts_;
    // The asker's own: whether it has seen the texts made.
    bool textsSeen_ = false;
    // Texts taken so far, from the last back.
    std::atomic<std::size_t> taken_{0};
    std::atomic<bool> stop_{false};
    std::atomic<int> width_{0};
    // Texts the asker read itself, by face and hash (under handing_), and whether there are any.
    std::unordered_set<std::uint64_t> readHere_;
    std::atomic<bool> anyReadHere_{false};
    std::mutex handing_;
    // Read and handed over, not yet taken in (under handing_).
    std::vector<Read> handedOver_;
    // The asker's own: what it has taken in, found by hash.
    std::vector<Read> known_;
    HashSlots knownSlots_;
    std::size_t given_ = 0;
    std::vector<std::unique_ptr<QThread>> threads_;
};
