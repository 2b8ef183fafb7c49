#pragma once

#include "app/AppFixture.h"

#include "board/SceneCardPainter.h"
#include "model/StoryFile.h"

#include <QMimeData>
#include <QPixmap>
#include <QPoint>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class BoardView;
class MyDocument;
class SceneCardView;
class SceneCarddb;
class Screenplaydb;

// A card as a test writes it into a story file before the story opens.
struct CardSpec {
    QString heading = QStringLiteral("INT. ROOM - DAY");
    std::int64_t onBoard = 1;
    std::int64_t currentBeatSection = 1;
    float percentageHorizontal = 0.0f;
    float percentageVertical = 0.01f;
    std::int64_t beatCardNumber = 0;
};

class MyDocument;
class QMimeData;

// `hold` (in the thumb tack's points) as a point of the card.
QPoint onTack(const SceneCardView& card, const QPoint& hold);

// An indicator a card shows: where it stands, its picture, and the tooltip the card gives with
// the pointer resting on it.
struct ShownIndicator {
    QRect frame;
    QString imageName;
    QString toolTip;
};
std::optional<ShownIndicator> shownIndicator(const SceneCardView& card, SceneCardIndicator::Kind kind);

// The drag data of a scene card dragged from a story's window.
std::unique_ptr<QMimeData> cardDrag(std::int64_t key, const MyDocument* from);

// A card of a board beat at a horizontal fraction, on the board (1) or in the Litter Box (2).
CardSpec inBeat(std::int64_t boardBeat, float horizontal = 0.1f, std::int64_t onBoard = 1);

// What the recording drag starter saw of one drag.
struct RecordedDrag {
    QWidget* source = nullptr;
    QMap<QString, QByteArray> formats;
    QSize imageSize;
    qreal imageRatio = 1.0;
    QPoint hotSpot;
    Qt::DropActions actions;
};

// Story windows with a corkboard, opened headlessly. Drags are recorded instead of run; a test
// may have a recorded drag dropped on a widget of its choice while the drag "runs".
class BoardFixture : public AppFixture
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A story file with these fields of its Screenplay row ("Column = value, ...") and cards;
    // answers its path. The window state lays the window out 1400 x 900 without the notes.
    QString story(const QString& name, const std::vector<CardSpec>& cards = {},
                  const QString& assignments = QString());
    // The keys of the story file's cards, in the order they were written.
    std::vector<std::int64_t> cardKeys(const QString& path) const;
    MyDocument* open(const QString& path);
    static QString stored(const QString& path, const QString& sql);

    // The card view of the card with that key.
    static SceneCardView* cardView(MyDocument& document, std::int64_t key);
    static SceneCarddb* card(MyDocument& document, std::int64_t key);

    // Sends a synthetic drag over `target` at `position` and answers whether it was accepted
    // (with `action` set to the target's answer), then drops it when `drop` is set and answers
    // whether the drop was taken.
    static bool dragOver(QWidget* target, const QPoint& position, const QMimeData& data,
                         Qt::DropActions offered, Qt::DropAction* action = nullptr);
    static bool dropOn(QWidget* target, const QPoint& position, const QMimeData& data, Qt::DropActions offered);
    // A synthetic drag that enters `target` at the first point of `path`, moves over the others
    // and is let go at the last; answers whether the drop was taken. As in a real drag, the
    // moves and the drop reach only a widget that took the drag in when it entered.
    static bool dropAlong(QWidget* target, const std::vector<QPoint>& path, const QMimeData& data,
                          Qt::DropActions offered);

    std::vector<RecordedDrag> drags_;
    // Called while a recorded drag "runs", with the drag's data.
    std::function<void(const QMimeData&)> onDrag_;
};
