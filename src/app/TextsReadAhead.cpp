#include "TextsReadAhead.h"

#include <QThread>

#include <algorithm>
#include <iterator>
#include <new>

namespace {

// Texts a thread takes at a time.
constexpr std::size_t kTextsAtATime = 16;

// Texts a thread hands over at a time.
constexpr std::size_t kBatch = 32;

// Threads at most: past three, the threads wait on the font database's lock more than they read.
constexpr int kMostThreads = 3;

// A font equal to `font` whose attributes no other font shares: the engines a font finds are kept
// with its attributes, and belong to the thread that found them.
QFont ownCopy(const QFont& font)
{
    QFont own = font;
    // Setting an attribute anew parts the copy from the fonts it shared them with; set back, it is
    // equal again.
    own.setStretch(font.stretch() == QFont::Unstretched ? QFont::SemiExpanded : QFont::Unstretched);
    own.setStretch(font.stretch());
    return own;
}

} // namespace

TextsReadAhead::TextsReadAhead(Source source) : source_(std::move(source))
{
    const int threads = std::clamp(QThread::idealThreadCount() - 1, 1, kMostThreads);
    for (int made = 0; made < threads; ++made) {
        threads_.emplace_back(QThread::create([this, first = made == 0] {
            // A thread short of memory stops: the asker reads what is left.
            try {
                if (waitForTexts(first))
                    readTexts();
            } catch (const std::bad_alloc&) {
                return;
            }
        }));
        threads_.back()->start();
    }
}

TextsReadAhead::~TextsReadAhead()
{
    stop_.store(true, std::memory_order_relaxed);
    finishSource();
    for (const std::unique_ptr<QThread>& thread : threads_)
        thread->wait();
}

std::optional<std::int64_t> TextsReadAhead::finishSource()
{
    std::unique_lock<std::mutex> lock(making_);
    if (state_ == Making::NotYet)
        state_ = Making::Skipped;
    stopSource_.store(true, std::memory_order_relaxed);
    made_.wait(lock, [this] { return state_ == Making::Made || state_ == Making::Skipped; });
    made_.notify_all();
    if (!texts_)
        return std::nullopt;
    return texts_->kind;
}

std::optional<std::ptrdiff_t> TextsReadAhead::faceOf(const QFont& font)
{
    if (!textsSeen_) {
        const std::lock_guard<std::mutex> lock(making_);
        if (state_ != Making::Made && state_ != Making::Skipped)
            return std::nullopt;
        textsSeen_ = true;
    }
    if (!texts_)
        return -1;
    const std::vector<QFont>& faces = texts_->faces;
    const auto face = std::find(faces.begin(), faces.end(), font);
    return face == faces.end() ? -1 : face - faces.begin();
}

std::optional<TextHeights::Reading> TextsReadAhead::take(std::size_t face, const QString& text, std::uint64_t hash)
{
    const auto findKnown = [&] {
        return knownSlots_.find(hash, [&](std::size_t entry) {
            return known_[entry].face == face && known_[entry].text == text;
        });
    };
    std::ptrdiff_t found = findKnown();
    if (found < 0) {
        takeHandedOver();
        found = findKnown();
    }
    if (found < 0)
        return std::nullopt;
    std::optional<TextHeights::Reading> reading;
    reading.swap(known_[static_cast<std::size_t>(found)].reading);
    given_ += reading ? 1 : 0;
    return reading;
}

void TextsReadAhead::readHere(std::size_t face, std::uint64_t hash)
{
    const std::lock_guard<std::mutex> lock(handing_);
    readHere_.insert(hash ^ face);
    anyReadHere_.store(true, std::memory_order_relaxed);
}

bool TextsReadAhead::finished() const
{
    return std::all_of(threads_.begin(), threads_.end(), [](const auto& thread) { return thread->isFinished(); });
}

bool TextsReadAhead::waitForTexts(bool first)
{
    std::unique_lock<std::mutex> lock(making_);
    if (first && state_ == Making::NotYet) {
        state_ = Making::Making;
        lock.unlock();
        std::optional<Texts> made;
        // Short of memory, the source makes nothing; the others must not wait for it.
        try {
            made = source_(stopSource_);
        } catch (const std::bad_alloc&) {
            made.reset();
        }
        lock.lock();
        texts_ = std::move(made);
        state_ = Making::Made;
        made_.notify_all();
    }
    made_.wait(lock, [this] { return state_ == Making::Made || state_ == Making::Skipped; });
    return texts_.has_value();
}

void TextsReadAhead::readTexts()
{
    const Texts& texts = *texts_;
    std::vector<QFont> fonts;
    for (const QFont& face : texts.faces)
        fonts.push_back(ownCopy(face));
    std::vector<TextHeights> heights(fonts.size());
    std::vector<Read> batch;
    const auto handOver = [&] {
        const std::lock_guard<std::mutex> lock(handing_);
        handedOver_.insert(handedOver_.end(), std::make_move_iterator(batch.begin()),
                           std::make_move_iterator(batch.end()));
        batch.clear();
    };
    const std::size_t count = texts.texts.size();
    for (std::size_t first = taken_.fetch_add(kTextsAtATime, std::memory_order_relaxed); first < count;
         first = taken_.fetch_add(kTextsAtATime, std::memory_order_relaxed)) {
        for (std::size_t at = first; at < std::min(count, first + kTextsAtATime); ++at) {
            if (stop_.load(std::memory_order_relaxed))
                return;
            const Text& text = texts.texts[count - 1 - at];
            if (text.face >= fonts.size())
                continue;
            const std::uint64_t hash = textHash(text.text);
            if (anyReadHere_.load(std::memory_order_relaxed)) {
                const std::lock_guard<std::mutex> lock(handing_);
                if (readHere_.count(hash ^ text.face) > 0)
                    continue;
            }
            TextHeights::Reading reading =
                heights[text.face].read(text.text, fonts[text.face], width_.load(std::memory_order_relaxed));
            batch.push_back({text.text, hash, text.face, std::move(reading)});
        }
        if (batch.size() >= kBatch)
            handOver();
    }
    handOver();
}

void TextsReadAhead::takeHandedOver()
{
    std::vector<Read> taken;
    {
        const std::lock_guard<std::mutex> lock(handing_);
        taken.swap(handedOver_);
    }
    for (Read& read : taken) {
        // A text may stand in two rows, which two threads may have read.
        if (knownSlots_.find(read.hash, [&](std::size_t entry) {
                return known_[entry].face == read.face && known_[entry].text == read.text;
            }) >= 0)
            continue;
        knownSlots_.add(read.hash, known_.size());
        known_.push_back(std::move(read));
    }
}
