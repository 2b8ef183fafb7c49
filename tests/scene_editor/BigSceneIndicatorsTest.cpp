#include "BigSceneFixture.h"

#include "app/MyDocument.h"
#include "app/SmallViews.h"
#include "board/BoardImages.h"
#include "board/LitterBoxView.h"
#include "board/ColorCodeSelector.h"
#include "board/RecordPasteboardType.h"
#include "model/AttachedObjectdb.h"
#include "model/ColorCodedb.h"
#include "model/SceneCardCharacterdb.h"
#include "model/SceneCardObjectdb.h"
#include "model/SceneCarddb.h"
#include "model/SceneLocationdb.h"
#include "model/ScenePayoffdb.h"
#include "model/SceneSetupdb.h"
#include "model/Screenplaydb.h"
#include "panes/ModalDialogs.h"
#include "scene_editor/BigSceneGeometry.h"
#include "scene_editor/BigSceneView.h"

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace Pasteboard = RecordPasteboardType;

class BigSceneIndicators : public BigSceneFixture
{
protected:
    void SetUp() override
    {
        BigSceneFixture::SetUp();
        ASSERT_NE(openCard({inBeat(1), inBeat(2)}), nullptr);
        addDroppableRecords();
        key_ = big()->scene()->sceneCardID();
    }
    void TearDown() override
    {
        ModalDialogs::setRunner({});
        BigSceneFixture::TearDown();
    }

    std::unique_ptr<QMimeData> drag(const char* type, std::int64_t value, const MyDocument* from = nullptr) const
    {
        return Pasteboard::makeDragData(QString::fromLatin1(type), value, from ? from : document_);
    }
    bool dropRecord(const char* type, std::int64_t value, const MyDocument* from = nullptr) const
    {
        return dropOn(big()->contentView(), QPoint(200, 200), *drag(type, value, from), Qt::LinkAction);
    }
    bool shows(QWidget* widget) const { return widget->isVisibleTo(big()->view()); }

    std::int64_t key_ = 0;
};

// --- Indicators --------------------------------------------------------------------------------

TEST_F(BigSceneIndicators, IndicatorsArePackedFromTheLeftInTheirOrder)
{
    Screenplaydb& story = screenplay();
    SceneCarddb* card = big()->scene();
    struct Row {
        bool character, location, setup, payoff;
        std::vector<int> lefts; // of the shown ones, in the order characters, location, set-ups, pay-offs
    };
    const Row rows[] = {
        {true, false, true, false, {14, 43}},
        {true, true, true, true, {14, 43, 72, 101}},
        {false, false, false, true, {14}},
        {false, true, false, true, {14, 43}},
        {false, false, false, false, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.lefts.size());
        story.sceneCardCharacters().clear();
        if (row.character) {
            auto link = std::make_unique<SceneCardCharacterdb>();
            link->setSceneCardID(key_);
            story.sceneCardCharacters().push_back(std::move(link));
        }
        card->setSceneLocationID(row.location ? story.sceneLocations()[0]->sceneLocationID() : 0);
        story.sceneSetups()[0]->setSceneCardID(row.setup ? key_ : 0);
        story.scenePayoffs()[0]->setSceneCardID(row.payoff ? key_ : 0);
        big()->configureIndicators();
        std::vector<int> lefts;
        const std::pair<QLabel*, QPushButton*> pairs[] = {{big()->imgCharacters(), big()->cmdCharacters()},
                                                           {big()->imgLocation(), big()->cmdLocation()},
                                                           {big()->imgSetups(), big()->cmdSetups()},
                                                           {big()->imgPayoffs(), big()->cmdPayoffs()}};
        for (const auto& [image, button] : pairs) {
            EXPECT_EQ(shows(image), shows(button));
            if (!shows(image))
                continue;
            EXPECT_EQ(image->geometry(), button->geometry());
            // The button over the picture shows nothing of its own, not even pressed.
            QImage under(button->size(), QImage::Format_ARGB32_Premultiplied);
            under.fill(Qt::magenta);
            const QImage before = under.copy();
            button->setDown(true);
            button->render(&under, QPoint(), QRegion(), QWidget::DrawChildren);
            button->setDown(false);
            EXPECT_EQ(under, before);
            lefts.push_back(image->x());
        }
        EXPECT_EQ(lefts, row.lefts);
    }
}

TEST_F(BigSceneIndicators, IndicatorSizesFollowTheZoomAndPicturesTellWhetherPartnersExist)
{
    Screenplaydb& story = screenplay();
    story.sceneSetups()[0]->setSceneCardID(key_);
    for (const auto& [zoom, size] : {std::pair{0, 22}, std::pair{1, 24}, std::pair{2, 24}, std::pair{3, 24},
                                     std::pair{4, 24}, std::pair{5, 22}}) {
        SCOPED_TRACE(zoom);
        story.setBoardZoomFactor(zoom);
        big()->configureIndicators();
        EXPECT_EQ(big()->imgSetups()->size(), QSize(size, size));
        EXPECT_EQ(BigSceneGeometry::indicatorSize(zoom), size);
    }
    story.setBoardZoomFactor(1);
    // One set-up of several without a pay-off decides the picture.
    story.sceneSetups()[1]->setSceneCardID(key_);
    story.sceneSetups()[0]->setScenePayoffID(story.scenePayoffs()[0]->scenePayoffID());
    big()->configureIndicators();
    EXPECT_EQ(big()->imgSetups()->pixmap().toImage(), boardImage(QStringLiteral("SetupsWithOutPayoffs")).toImage());
    story.sceneSetups()[1]->setScenePayoffID(story.scenePayoffs()[1]->scenePayoffID());
    big()->configureIndicators();
    EXPECT_EQ(big()->imgSetups()->pixmap().toImage(), boardImage(QStringLiteral("SetupsWithPayoffs")).toImage());
    story.scenePayoffs()[0]->setSceneCardID(key_);
    big()->configureIndicators();
    EXPECT_EQ(big()->imgPayoffs()->pixmap().toImage(), boardImage(QStringLiteral("PayoffsWithoutSetups")).toImage());
    story.scenePayoffs()[0]->setSceneSetupID(story.sceneSetups()[0]->sceneSetupID());
    big()->configureIndicators();
    EXPECT_EQ(big()->imgPayoffs()->pixmap().toImage(), boardImage(QStringLiteral("PayoffsWithSetups")).toImage());
    // An indicator's button leads to its tab.
    big()->cmdPayoffs()->click();
    EXPECT_EQ(big()->selectedTabID(), 3);
}

// --- Colour labels -----------------------------------------------------------------------------

TEST_F(BigSceneIndicators, ColourLabelsStandInSixOverlappingBandsOfTheBoxHeight)
{
    const std::array<QRect, 6> frames = BigSceneGeometry::colorLabelFrames(120);
    const int ys[] = {64, 54, 44, 34, 24, 14};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i + 1);
        EXPECT_EQ(frames[static_cast<std::size_t>(i)].y(), ys[i]);
        EXPECT_EQ(frames[static_cast<std::size_t>(i)].x(), 15);
        EXPECT_EQ(frames[static_cast<std::size_t>(i)].width(), 19);
        EXPECT_EQ(frames[static_cast<std::size_t>(i)].height(), i == 0 ? 10 : 11);
    }
    // A taller box: the top label still ends 46 below the top.
    const std::array<QRect, 6> tall = BigSceneGeometry::colorLabelFrames(400);
    EXPECT_EQ(tall[5].height(), 57);
    EXPECT_EQ(tall[0].y() + tall[0].height(), 400 - 46);
    // On the card, measured from the box's top.
    const int height = big()->boxYellowBackground()->height();
    big()->layoutColorLabels();
    EXPECT_EQ(big()->lblColor(6)->geometry(),
              BigSceneGeometry::flipped(BigSceneGeometry::colorLabelFrames(height)[5], height));
    EXPECT_EQ(big()->lblColor(6)->geometry().bottom(), height - 15);
}

TEST_F(BigSceneIndicators, ADoubleClickOnAColourLabelChoosesItsColourCode)
{
    Screenplaydb& story = screenplay();
    ASSERT_GE(story.colorCodes().size(), 3u);
    const ColorCodedb* third = story.colorCodes()[2].get();
    // The user picks the third row.
    ModalDialogs::setRunner([](QDialog& dialog) {
        auto& selector = static_cast<ColorCodeSelector&>(dialog);
        selector.tvColors()->selectRow(2);
        return 0;
    });
    QTest::mouseDClick(big()->lblColor(4), Qt::LeftButton);
    EXPECT_EQ(column(QStringLiteral("ColorLegend4ID")), QString::number(third->colorCodeID()));
    EXPECT_EQ(big()->lblColor(4)->palette().color(QPalette::Base),
              QColor::fromRgbF(static_cast<float>(third->redValue()) / 255.0f,
                               static_cast<float>(third->greenValue()) / 255.0f,
                               static_cast<float>(third->blueValue()) / 255.0f,
                               static_cast<float>(third->alphaValue()) / 255.0f));
    // Closing the dialog keeps the slot; its clear button empties it.
    ModalDialogs::setRunner([](QDialog&) { return 0; });
    QTest::mouseDClick(big()->lblColor(4), Qt::LeftButton);
    EXPECT_EQ(column(QStringLiteral("ColorLegend4ID")), QString::number(third->colorCodeID()));
    ModalDialogs::setRunner([](QDialog& dialog) {
        static_cast<ColorCodeSelector&>(dialog).cmdClearColor()->click();
        return 0;
    });
    QTest::mouseDClick(big()->lblColor(4), Qt::LeftButton);
    EXPECT_EQ(column(QStringLiteral("ColorLegend4ID")), "0");
    EXPECT_EQ(big()->lblColor(4)->palette().color(QPalette::Base), QColor(Qt::white));
}

// --- Drops -------------------------------------------------------------------------------------

TEST_F(BigSceneIndicators, EachDroppedRecordIsLinkedOnceAndShowsItsTab)
{
    Screenplaydb& story = screenplay();
    const std::int64_t map = story.attachedObjects()[0]->attachedObjectID();
    const std::int64_t table = story.attachedObjects()[1]->attachedObjectID();
    struct Row {
        const char* type;
        std::int64_t value;
        const char* check; // SQL answering "1" once the drop is in the file
        std::int64_t tab;
        const char* duplicateTitle; // nullptr: dropping it again is taken again
        const char* duplicateMessage;
    };
    const QString key = QString::number(key_);
    const Row rows[] = {
        {Pasteboard::kAttachedObject, map,
         "SELECT PrimaryDisplayFlag FROM SceneCardObject WHERE SceneCardID = %1 AND AttachedObjectID = %2", 5,
         "Add Attachment", "Map of the coast is already attached."},
        {Pasteboard::kAttachedObject, table,
         "SELECT 1 - PrimaryDisplayFlag FROM SceneCardObject WHERE SceneCardID = %1 AND AttachedObjectID = %2", 5,
         "Add Attachment", "Tide table is already attached."},
        {Pasteboard::kCharacter, 6,
         "SELECT COUNT(*) FROM SceneCardCharacter WHERE SceneCardID = %1 AND Description = 'carl is here'", 4,
         "Add Character", "CARL is already in the scene."},
        {Pasteboard::kSceneSetup, 3,
         "SELECT COUNT(*) FROM SceneSetup WHERE SceneCardID = %1 AND SceneSetup = 'set-up 1'", 2, nullptr, nullptr},
        {Pasteboard::kScenePayoff, 0,
         "SELECT COUNT(*) FROM ScenePayoff WHERE SceneCardID = %1 AND ScenePayoff = 'pay-off 0'", 3, nullptr, nullptr},
        {Pasteboard::kSceneLocation, 3,
         "SELECT COUNT(*) FROM SceneCard s JOIN SceneLocation l ON l.SceneLocationID = s.SceneLocationID "
         "WHERE s.SceneCardID = %1 AND l.Location = 'LIGHTHOUSE'",
         1, nullptr, nullptr},
    };
    const auto linked = [&](const Row& row) {
        QString sql = QString::fromLatin1(row.check);
        return count(sql.replace(QStringLiteral("%1"), key).replace(QStringLiteral("%2"), QString::number(row.value)));
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.type);
        fakes_.alerts->shown.clear();
        big()->setSelectedTabID(row.tab == 1 ? 6 : 1);
        Qt::DropAction action = Qt::IgnoreAction;
        EXPECT_TRUE(
            dragOver(big()->contentView(), QPoint(200, 200), *drag(row.type, row.value), Qt::LinkAction, &action));
        EXPECT_EQ(action, Qt::LinkAction);
        EXPECT_TRUE(dropRecord(row.type, row.value));
        EXPECT_EQ(linked(row), "1");
        EXPECT_EQ(big()->selectedTabID(), row.tab);
        EXPECT_TRUE(fakes_.alerts->shown.empty());
        if (!row.duplicateTitle)
            continue;
        EXPECT_FALSE(dropRecord(row.type, row.value));
        ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
        EXPECT_EQ(fakes_.alerts->shown[0].title, row.duplicateTitle);
        EXPECT_EQ(fakes_.alerts->shown[0].message, row.duplicateMessage);
        EXPECT_EQ(linked(row), "1");
    }
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM SceneCardObject")), "2");
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM SceneCardCharacter")), "1");
    // The location shows in the box, and every indicator with it.
    EXPECT_EQ(big()->cmbLocations()->currentText(), "LIGHTHOUSE");
    for (QLabel* image : {big()->imgCharacters(), big()->imgLocation(), big()->imgSetups(), big()->imgPayoffs()})
        EXPECT_TRUE(shows(image));
}

TEST_F(BigSceneIndicators, DropsFromAnotherStoryOrOfUnknownRowsAreRefused)
{
    const QString otherPath = story(QStringLiteral("Elsewhere"), {CardSpec{}});
    MyDocument* other = open(otherPath);
    ASSERT_NE(other, nullptr);
    EXPECT_FALSE(dragOver(big()->contentView(), QPoint(10, 10), *drag(Pasteboard::kCharacter, 0, other),
                          Qt::LinkAction));
    EXPECT_FALSE(dropRecord(Pasteboard::kCharacter, 0, other));
    EXPECT_FALSE(dropRecord(Pasteboard::kAttachedObject, screenplay().attachedObjects()[0]->attachedObjectID(), other));
    for (const char* type : {Pasteboard::kCharacter, Pasteboard::kSceneLocation, Pasteboard::kSceneSetup,
                             Pasteboard::kScenePayoff, Pasteboard::kAttachedObject}) {
        SCOPED_TRACE(type);
        EXPECT_FALSE(dropRecord(type, 300));
        EXPECT_FALSE(dropRecord(type, -3));
    }
    // A card is not a record the large card takes.
    EXPECT_FALSE(dragOver(big()->contentView(), QPoint(10, 10), *drag(Pasteboard::kSceneCard, key_), Qt::MoveAction));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM SceneCardCharacter")), "0");
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM SceneCardObject")), "0");
    EXPECT_EQ(column(QStringLiteral("SceneLocationID")), "0");
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM SceneSetup WHERE SceneCardID <> 0")), "0");
    EXPECT_TRUE(fakes_.alerts->shown.empty());
}

TEST_F(BigSceneIndicators, ARecordFromASourceThatDoesNotAllowLinkingIsOfferedNoOperation)
{
    const std::int64_t map = screenplay().attachedObjects()[0]->attachedObjectID();
    struct Row {
        const char* type;
        std::int64_t value;
    };
    const Row rows[] = {{Pasteboard::kAttachedObject, map}, {Pasteboard::kCharacter, 6},
                        {Pasteboard::kSceneLocation, 3},  {Pasteboard::kSceneSetup, 3},
                        {Pasteboard::kScenePayoff, 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.type);
        for (const Qt::DropActions offered : {Qt::DropActions(Qt::CopyAction), Qt::CopyAction | Qt::MoveAction}) {
            Qt::DropAction action = Qt::LinkAction;
            EXPECT_FALSE(
                dragOver(big()->contentView(), QPoint(200, 200), *drag(row.type, row.value), offered, &action));
            EXPECT_EQ(action, Qt::IgnoreAction);
            EXPECT_FALSE(dropOn(big()->contentView(), QPoint(200, 200), *drag(row.type, row.value), offered));
        }
        // Offered with linking among the rest, it is taken as a link.
        Qt::DropAction action = Qt::IgnoreAction;
        EXPECT_TRUE(dragOver(big()->contentView(), QPoint(200, 200), *drag(row.type, row.value),
                             Qt::CopyAction | Qt::LinkAction, &action));
        EXPECT_EQ(action, Qt::LinkAction);
    }
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM SceneCardCharacter")), "0");
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM SceneCardObject")), "0");
    EXPECT_EQ(column(QStringLiteral("SceneLocationID")), "0");
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM SceneSetup WHERE SceneCardID <> 0")), "0");
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM ScenePayoff WHERE SceneCardID <> 0")), "0");
}

// --- The thumb tack ----------------------------------------------------------------------------

TEST_F(BigSceneIndicators, ARightDragOnTheTackDragsTheCardOutAndTheLitterBoxTakesIt)
{
    activate();
    big()->tfConflict()->setFocus();
    big()->tfConflict()->selectAll();
    QTest::keyClicks(big()->tfConflict(), QStringLiteral("Storm at sea"));
    ImageViewResponder* tack = big()->imgThumbTack();
    // A left press does nothing with the large card's tack.
    QTest::mousePress(tack, Qt::LeftButton);
    QTest::mouseRelease(tack, Qt::LeftButton);
    EXPECT_FALSE(big()->readyToDrag());
    QTest::mousePress(tack, Qt::RightButton);
    EXPECT_TRUE(big()->readyToDrag());
    EXPECT_EQ(tack->imageName(), "SceneCardThumbUp");
    // The edit in progress was written by the press.
    EXPECT_EQ(column(QStringLiteral("Conflict")), "Storm at sea");
    const QSize whole = big()->view()->size();
    onDrag_ = [this](const QMimeData& data) {
        EXPECT_TRUE(dropOn(document_->litterBoxViewController()->bars().back(), QPoint(5, 5), data, Qt::MoveAction));
    };
    QMouseEvent move(QEvent::MouseMove, QPointF(14, 14), tack->mapToGlobal(QPointF(14, 14)), Qt::NoButton,
                     Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(tack, &move);
    ASSERT_EQ(drags_.size(), 1u);
    EXPECT_EQ(drags_[0].imageSize, QSize(whole.width() / 4, whole.height() / 4));
    EXPECT_EQ(drags_[0].actions, Qt::MoveAction);
    EXPECT_EQ(drags_[0].formats.value(Pasteboard::mimeType(QString::fromLatin1(Pasteboard::kSceneCard))),
              QByteArray::number(static_cast<qlonglong>(key_)));
    settle();
    EXPECT_EQ(column(key_, QStringLiteral("OnBoard")), "2");
    // The large card moved on to the card that was next.
    ASSERT_NE(big(), nullptr);
    EXPECT_EQ(big()->scene(), boardCard(0));
    EXPECT_FALSE(big()->readyToDrag());
}
