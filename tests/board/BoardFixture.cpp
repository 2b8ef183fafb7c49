#include "BoardFixture.h"

#include "app/DocumentController.h"
#include "app/MyDocument.h"
#include "board/CardDragStarter.h"
#include "board/RecordPasteboardType.h"
#include "board/SceneCardView.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "support/SqlProbe.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>

namespace {

class RecordingDragStarter : public CardDragStarter
{
public:
    RecordingDragStarter(std::vector<RecordedDrag>& drags, std::function<void(const QMimeData&)>& onDrag)
        : drags_(drags), onDrag_(onDrag)
    {
    }

    Qt::DropAction startDrag(QWidget* source, std::unique_ptr<QMimeData> data, const QPixmap& image,
                             const QPoint& hotSpot, Qt::DropActions actions) override
    {
        RecordedDrag drag;
        drag.source = source;
        for (const QString& format : data->formats())
            drag.formats.insert(format, data->data(format));
        drag.imageSize = image.size();
        drag.imageRatio = image.devicePixelRatio();
        drag.hotSpot = hotSpot;
        drag.actions = actions;
        drags_.push_back(drag);
        if (onDrag_)
            onDrag_(*data);
        return Qt::IgnoreAction;
    }

private:
    std::vector<RecordedDrag>& drags_;
    std::function<void(const QMimeData&)>& onDrag_;
};

} // namespace

void BoardFixture::SetUp()
{
    AppFixture::SetUp();
    startApplication();
    CardDragStarter::install(std::make_unique<RecordingDragStarter>(drags_, onDrag_));
}

void BoardFixture::TearDown()
{
    AppFixture::TearDown();
    CardDragStarter::install(nullptr);
}

QString BoardFixture::story(const QString& name, const std::vector<CardSpec>& cards, const QString& assignments)
{
    const QString path = makeStory(name + QStringLiteral(".vtrsf"));
    {
        DatabaseConnection connection = StoryFile::open(path);
        SqlProbe::exec(connection.get(),
                       QStringLiteral("UPDATE Screenplay SET WindowState = 101110, ParentWindowWidth = 1400, "
                                      "ParentWindowHeight = 900, LogLineSplitterDistance = 13, "
                                      "BeatsSplitterDistance = 20, GeneralNotesSplitterDistance = 80, "
                                      "BoardSplitterDistance = 80"));
        if (!assignments.isEmpty())
            SqlProbe::exec(connection.get(), QStringLiteral("UPDATE Screenplay SET ") + assignments);
    }
    Screenplaydb screenplay;
    screenplay.initWithFile(path);
    screenplay.hydrate();
    for (const CardSpec& spec : cards) {
        SceneCarddb record;
        record.setScreenplayID(screenplay.screenplayID());
        record.setHeading(spec.heading);
        record.setOnBoard(spec.onBoard);
        record.setCurrentBeatSection(spec.currentBeatSection);
        record.setPercentageHorizontal(spec.percentageHorizontal);
        record.setPercentageVertical(spec.percentageVertical);
        record.setBeatCardNumber(spec.beatCardNumber);
        record.insertIntoDatabase(&screenplay);
    }
    screenplay.closeDatabase();
    return path;
}

std::vector<std::int64_t> BoardFixture::cardKeys(const QString& path) const
{
    DatabaseConnection connection = StoryFile::open(path);
    const QString keys = SqlProbe::scalar(connection.get(),
                                          QStringLiteral("SELECT group_concat(SceneCardID) FROM "
                                                         "(SELECT SceneCardID FROM SceneCard ORDER BY SceneCardID)"));
    std::vector<std::int64_t> result;
    for (const QString& key : keys.split(QLatin1Char(','), Qt::SkipEmptyParts))
        result.push_back(key.toLongLong());
    return result;
}

MyDocument* BoardFixture::open(const QString& path)
{
    MyDocument* document = app_->documentController().openDocument(path);
    settle();
    return document;
}

QString BoardFixture::stored(const QString& path, const QString& sql)
{
    DatabaseConnection connection = StoryFile::open(path);
    return SqlProbe::scalar(connection.get(), sql);
}

SceneCardView* BoardFixture::cardView(MyDocument& document, std::int64_t key)
{
    return document.sceneCardControlForSceneCard(card(document, key));
}

SceneCarddb* BoardFixture::card(MyDocument& document, std::int64_t key)
{
    return document.currentScreenplay()->sceneCardForSceneCardID(key);
}

bool BoardFixture::dragOver(QWidget* target, const QPoint& position, const QMimeData& data, Qt::DropActions offered,
                            Qt::DropAction* action)
{
    QDragEnterEvent enter(position, offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (action)
        *action = enter.isAccepted() ? enter.dropAction() : Qt::IgnoreAction;
    return enter.isAccepted();
}

bool BoardFixture::dropOn(QWidget* target, const QPoint& position, const QMimeData& data, Qt::DropActions offered)
{
    if (!dragOver(target, position, data, offered))
        return false;
    QDropEvent drop(QPointF(position), offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

bool BoardFixture::dropAlong(QWidget* target, const std::vector<QPoint>& path, const QMimeData& data,
                             Qt::DropActions offered)
{
    // Whatever took an earlier synthetic drag in lets it go first.
    QDragLeaveEvent leave;
    QApplication::sendEvent(target, &leave);
    dragOver(target, path.front(), data, offered);
    for (std::size_t step = 1; step < path.size(); ++step) {
        QDragMoveEvent move(path[step], offered, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &move);
    }
    QDropEvent drop(QPointF(path.back()), offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

CardSpec inBeat(std::int64_t boardBeat, float horizontal, std::int64_t onBoard)
{
    CardSpec spec;
    spec.currentBeatSection = boardBeat;
    spec.percentageHorizontal = horizontal;
    spec.onBoard = onBoard;
    return spec;
}

std::unique_ptr<QMimeData> cardDrag(std::int64_t key, const MyDocument* from)
{
    return RecordPasteboardType::makeDragData(QString::fromLatin1(RecordPasteboardType::kSceneCard), key, from);
}

QPoint onTack(const SceneCardView& card, const QPoint& hold)
{
    return card.layout().thumbTack.topLeft() + hold;
}

std::optional<ShownIndicator> shownIndicator(const SceneCardView& card, SceneCardIndicator::Kind kind)
{
    const std::vector<SceneCardIndicator>& shown = card.indicators();
    for (std::size_t index = 0; index < shown.size(); ++index) {
        if (shown[index].kind != kind)
            continue;
        const QRect frame = card.layout().indicatorFrame(static_cast<int>(index));
        return ShownIndicator{frame, shown[index].imageName, card.toolTipAt(frame.center())};
    }
    return std::nullopt;
}
