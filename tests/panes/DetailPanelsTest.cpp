#include "ItemsFixture.h"

#include "app/AppActions.h"
#include "app/MyDocument.h"
#include "app/SmallViews.h"
#include "app/StoryWindow.h"
#include "board/RecordPasteboardType.h"
#include "board/SceneCardView.h"
#include "model/SceneCarddb.h"
#include "model/Characterdb.h"
#include "model/Screenplaydb.h"
#include "panes/CharacterDetailView.h"
#include "panes/ItemsTableView.h"
#include "panes/LocationDetailView.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTableView>

#include <functional>

class DetailPanels : public ItemsFixture
{
protected:
    // Opens a story in the characters section with these characters and the first one's panel.
    CharacterDetailView& openCharacter(const QStringList& names, const std::vector<AttachmentSpec>& attachments = {},
                                       std::size_t position = 0)
    {
        open(itemsStory(QStringLiteral("Panel"), 1, names, {}, attachments));
        document_->showCharacterDetailForCharacter(screenplay().characters()[position].get());
        return *document_->characterDetailView();
    }

    QString character(const QString& column, std::int64_t key = 1) const
    {
        return stored(QStringLiteral("SELECT %1 FROM Character WHERE CharacterID = %2").arg(column).arg(key));
    }

    QString links(const char* table = "CharacterObject") const
    {
        return stored(QStringLiteral("SELECT group_concat(AttachedObjectID || ':' || PrimaryDisplayFlag, ' ') "
                                     "FROM (SELECT * FROM %1 ORDER BY 1)")
                          .arg(QLatin1String(table)));
    }

    static void pressKey(QWidget* widget, Qt::Key key)
    {
        QTest::keyClick(widget, key);
        QApplication::processEvents();
    }
};

TEST_F(DetailPanels, AnOpenPanelKeepsItsLeastSizeWhileTheSectionsAroundItChange)
{
    struct Row {
        const char* panel;
        int leastHeight;
        std::function<QWidget*()> open;
    };
    const Row rows[] = {
        {"character", 700,
         [this] {
             open(itemsStory(QStringLiteral("Sizes1"), 1, {QStringLiteral("ADA")}));
             document_->showCharacterDetailForCharacter(screenplay().characters()[0].get());
             return document_->characterDetailView()->view();
         }},
        {"location", 600,
         [this] {
             open(itemsStory(QStringLiteral("Sizes2"), 2, {}, {QStringLiteral("HARBOUR")}));
             document_->showLocationDetailForSceneLocation(screenplay().sceneLocations()[0].get());
             return document_->locationDetailView()->view();
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.panel);
        QWidget* panel = row.open();
        settle();
        const QScrollArea* scroll = document_->scrBeatSectionDetails();
        ASSERT_NE(scroll, nullptr);
        const auto shown = [scroll] { return scroll->viewport()->size(); };
        EXPECT_EQ(panel->height(), 1000) << "as it opens";

        // The title section grows: the panel takes the height that showed of it, here less than
        // its least height, so its least height.
        MainSplitView* title = document_->splTitle();
        const int before = shown().height();
        ASSERT_LT(before, row.leastHeight);
        title->setPosition(title->paneExtent(0) + 20);
        settle();
        EXPECT_EQ(panel->height(), row.leastHeight);

        // The notes board goes down and the title section shrinks: what shows of the panel is
        // now higher than its least height, and the panel takes that height.
        MainSplitView* notes = document_->splNotes();
        notes->setPosition(notes->extent() - 25);
        settle();
        title->setPosition(70);
        settle();
        const int tall = shown().height();
        title->setPosition(90);
        settle();
        ASSERT_GT(tall, row.leastHeight);
        EXPECT_EQ(panel->height(), tall);

        // The story-elements pane narrows below the panel's least width: the panel keeps it;
        // widened again, the panel takes the pane's width.
        MainSplitView* beats = document_->splBeats();
        beats->setPosition(200);
        settle();
        ASSERT_LT(shown().width(), 356);
        EXPECT_EQ(panel->width(), 356);
        beats->setPosition(600);
        settle();
        ASSERT_GT(shown().width(), 356);
        EXPECT_EQ(panel->width(), shown().width());
        document_->window()->close();
        settle();
    }
}

TEST_F(DetailPanels, EveryFieldTypedThroughWithTabIsStored)
{
    // The second character and location have no attachment.
    const QString path = itemsStory(QStringLiteral("Panel"), 1, {QStringLiteral("ADA"), QStringLiteral("BEA")},
                                    {QStringLiteral("DOCKS"), QStringLiteral("PIER")},
                                    {picture(QStringLiteral("Harbour"), Qt::red)});
    storeLink(path, "CharacterObject", 1, 1, 1);
    storeLink(path, "SceneLocationObject", 1, 1, 1);
    open(path);
    // Each step types into the field the step before led to (its text selected whole first) and leaves it by Tab, or by Ctrl+Tab where Tab is typed and from the lists. Tab
    // never stops on the gender buttons or the panel's buttons, so no key typed changes them, nor
    // on an empty attachment list, where nothing typed would go. A step without a next field
    // leaves the panel.
    const Qt::KeyboardModifiers control = Qt::ControlModifier;
    const Qt::KeyboardModifiers back = Qt::ControlModifier | Qt::ShiftModifier;
    struct Step {
        QWidget* widget;
        const char* typed;
        const char* column; // of the panel's record
        const char* expected;
        Qt::KeyboardModifiers modifiers;
        QWidget* next;
    };
    struct Panel {
        const char* table;
        std::size_t item;
        std::function<DetailPanel&(std::size_t)> open;
    };
    const auto showLocation = [this](std::size_t item) -> DetailPanel& {
        document_->showLocationDetailForSceneLocation(screenplay().sceneLocations()[item].get());
        return *document_->locationDetailView();
    };
    const auto showCharacter = [this](std::size_t item) -> DetailPanel& {
        document_->showCharacterDetailForCharacter(screenplay().characters()[item].get());
        return *document_->characterDetailView();
    };
    const Panel panels[] = {
        {"SceneLocation", 1, showLocation}, {"SceneLocation", 0, showLocation}, {"Character", 1, showCharacter},
        {"Character", 0, showCharacter},
    };
    for (const Panel& shown : panels) {
        SCOPED_TRACE(std::string(shown.table) + (shown.item == 0 ? " with an attachment" : " without one"));
        DetailPanel& panel = shown.open(shown.item);
        std::vector<Step> steps;
        auto* character = dynamic_cast<CharacterDetailView*>(&panel);
        if (shown.item == 1) {
            // Past the empty list out of the pane, and back from where that led.
            QWidget* last = character ? static_cast<QWidget*>(character->tvSixThings())
                                      : static_cast<LocationDetailView&>(panel).txtNotes();
            steps = {
                {last, "", nullptr, nullptr, control, nullptr},
                {nullptr, "", nullptr, nullptr, Qt::ShiftModifier, last},
            };
        } else if (character) {
            // Clicked, a gender button still stores its letter.
            QTest::mouseClick(character->optFemale(), Qt::LeftButton);
            ASSERT_EQ(this->character(QStringLiteral("Gender")), QStringLiteral("F"));
            steps = {
                {character->tfName(), "ada lovelace", "CharacterName", "ADA LOVELACE", {}, character->tfAge()},
                {character->tfAge(), "36", "Age", "36", {}, character->txtDescription()},
                {character->txtDescription(), "Tough as nails", "Description", "Tough as nails", control,
                 character->txtWants()},
                {character->txtWants(), "To finish\tthe engine.", "Wants", "To finish\tthe engine.", control,
                 character->txtNeeds()},
                {character->txtNeeds(), "Someone who listens.", "Needs", "Someone who listens.", control,
                 character->txtNotes()},
                {character->txtNotes(), "abc\txyz", "Notes", "abc\txyz", control, character->tvSixThings()},
                {character->tvSixThings(), "", nullptr, nullptr, control, character->tvAttachments()},
                {character->tvAttachments(), "", nullptr, nullptr, back, character->tvSixThings()},
                {character->tvSixThings(), "", nullptr, nullptr, back, character->txtNotes()},
                {character->txtNotes(), "", nullptr, nullptr, back, character->txtNeeds()},
                {character->txtNeeds(), "", nullptr, nullptr, control, character->txtNotes()},
                {character->txtNotes(), "", nullptr, nullptr, control, character->tvSixThings()},
                {character->tvSixThings(), "", nullptr, nullptr, {}, character->tvAttachments()},
                {character->tvAttachments(), "", nullptr, nullptr, {}, nullptr},
            };
        } else {
            auto& location = static_cast<LocationDetailView&>(panel);
            steps = {
                {location.tfLocation(), "old docks", "Location", "OLD DOCKS", {}, location.txtDescription()},
                {location.txtDescription(), "Wet\tand grey.", "Description", "Wet\tand grey.", control,
                 location.txtNotes()},
                {location.txtNotes(), "Fog at dawn", "Notes", "Fog at dawn", control, location.tvAttachments()},
                {location.tvAttachments(), "", nullptr, nullptr, back, location.txtNotes()},
                {location.txtNotes(), "", nullptr, nullptr, control, location.tvAttachments()},
                {location.tvAttachments(), "", nullptr, nullptr, control, nullptr},
            };
        }
        steps.front().widget->setFocus();
        for (const Step& step : steps) {
            QWidget* from = step.widget ? step.widget : QApplication::focusWidget();
            SCOPED_TRACE(from->objectName().toStdString() + " to "
                         + (step.next ? step.next->objectName().toStdString() : "out"));
            if (QApplication::focusWidget() != from && !panel.view()->isAncestorOf(QApplication::focusWidget()))
                from->setFocus();
            ASSERT_EQ(QApplication::focusWidget(), from);
            if (*step.typed)
                QTest::keyClick(from, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(from, QString::fromLatin1(step.typed));
            QTest::keyClick(from, Qt::Key_Tab, step.modifiers);
            if (step.next) {
                EXPECT_EQ(QApplication::focusWidget(), step.next);
                // The panel's scroll view brings the control that took the keyboard into sight.
                const QWidget* shownPart = panel.view()->parentWidget();
                const QRect taken(step.next->mapTo(shownPart, QPoint()), step.next->size());
                EXPECT_TRUE(taken.intersects(shownPart->rect()));
            } else {
                // Past the scroll views, which show no focus, and past the board and the Litter
                // Box, which hold no card, to the general notes below them.
                QWidget* note = QApplication::focusWidget();
                EXPECT_TRUE(note && document_->notesPane()->isAncestorOf(note));
            }
            if (step.column) {
                EXPECT_EQ(stored(QStringLiteral("SELECT %1 FROM %2 LIMIT 1 OFFSET %3")
                                     .arg(QLatin1String(step.column), QLatin1String(shown.table))
                                     .arg(shown.item)),
                          QString::fromLatin1(step.expected));
            }
        }
    }
    EXPECT_EQ(character(QStringLiteral("Gender")), QStringLiteral("F"));
    EXPECT_EQ(links(), QStringLiteral("1:1"));
    EXPECT_EQ(links("SceneLocationObject"), QStringLiteral("1:1"));

    CharacterDetailView& panel = *document_->characterDetailView();
    // A value being typed when the section changes is stored too.
    panel.txtNotes()->setFocus();
    QTest::keyClicks(panel.txtNotes(), QStringLiteral(" Late."));
    QTest::mouseClick(document_->optSelectBeats(), Qt::LeftButton);
    EXPECT_EQ(character(QStringLiteral("Notes")), QStringLiteral("abc\txyz Late."));
}

TEST_F(DetailPanels, SixThingsRowsStoreTheirComposedFieldsAndNumberRowsStayFixed)
{
    CharacterDetailView& panel = openCharacter({QStringLiteral("ADA")});
    QTableView* table = panel.tvSixThings();
    ASSERT_EQ(table->model()->rowCount(), 18);
    for (int row = 0; row < 18; ++row) {
        SCOPED_TRACE(row);
        const QModelIndex index = table->model()->index(row, 0);
        if (row % 3 == 0) {
            EXPECT_EQ(index.data().toString(), QString::number(row / 3 + 1));
            EXPECT_FALSE(index.flags() & (Qt::ItemIsEditable | Qt::ItemIsSelectable));
            EXPECT_TRUE(CharacterDetailView::keyForSixThingsRow(row).isEmpty());
            continue;
        }
        const QString key = CharacterDetailView::keyForSixThingsRow(row);
        const QString typed = QStringLiteral("value of row %1").arg(row);
        // Return opens the selected row for typing.
        clickCell(table, row, 0);
        QTest::keyClick(table, Qt::Key_Return);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        ASSERT_NE(editor, nullptr);
        QTest::keyClicks(editor, typed);
        pressKey(editor, Qt::Key_Return);
        // The column of "needsFixing2" is "NeedsFixing2".
        EXPECT_EQ(character(key.left(1).toUpper() + key.mid(1)), typed) << key.toStdString();
    }
    // A key typed on a selected row is no edit: the entry stays as it is.
    clickCell(table, 4, 0);
    QTest::keyClick(table, Qt::Key_Z, Qt::ShiftModifier);
    settle();
    EXPECT_EQ(table->findChild<QLineEdit*>(), nullptr);
    EXPECT_EQ(character(QStringLiteral("NeedsFixing2")), QStringLiteral("value of row 4"));
    EXPECT_EQ(CharacterDetailView::keyForSixThingsRow(4), QStringLiteral("needsFixing2"));
    EXPECT_EQ(CharacterDetailView::keyForSixThingsRow(5), QStringLiteral("needsFixing2Notes"));
    EXPECT_EQ(CharacterDetailView::keyForSixThingsRow(18), QString());
}

TEST_F(DetailPanels, TheGenderPairShowsNeitherForAnythingButMOrF)
{
    struct Case {
        const char* stored;
        bool male;
        bool female;
    };
    const Case cases[] = {{"", false, false}, {"X", false, false}, {"M", true, false}, {"F", false, true}};
    CharacterDetailView& panel = openCharacter({QStringLiteral("ADA")});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        screenplay().characters()[0]->setGender(QString::fromLatin1(c.stored));
        panel.refreshView();
        EXPECT_EQ(panel.optMale()->isChecked(), c.male);
        EXPECT_EQ(panel.optFemale()->isChecked(), c.female);
    }
    QTest::mouseClick(panel.optMale(), Qt::LeftButton);
    EXPECT_EQ(character(QStringLiteral("Gender")), QStringLiteral("M"));
    QTest::mouseClick(panel.optFemale(), Qt::LeftButton);
    EXPECT_EQ(character(QStringLiteral("Gender")), QStringLiteral("F"));
    EXPECT_FALSE(panel.optMale()->isChecked());
    // Clicking the one that is on keeps it on.
    QTest::mouseClick(panel.optFemale(), Qt::LeftButton);
    EXPECT_TRUE(panel.optFemale()->isChecked());
    EXPECT_EQ(character(QStringLiteral("Gender")), QStringLiteral("F"));
}

TEST_F(DetailPanels, PagingKeepsThePanelAndShowsOnlyTheButtonsThatLeadSomewhere)
{
    CharacterDetailView& panel = openCharacter({QStringLiteral("ADA"), QStringLiteral("BRUNO"), QStringLiteral("CLEO")});
    QWidget* view = panel.view();
    const QStringList expected{QStringLiteral("ADA"), QStringLiteral("BRUNO"), QStringLiteral("CLEO")};
    for (int at = 0; at < 3; ++at) {
        SCOPED_TRACE(at);
        EXPECT_EQ(document_->characterDetailView(), &panel);
        EXPECT_EQ(panel.view(), view);
        EXPECT_EQ(panel.tfName()->text(), expected[at]);
        EXPECT_EQ(panel.previousButton()->isVisible(), at > 0);
        EXPECT_EQ(panel.nextButton()->isVisible(), at < 2);
        if (at < 2) {
            // A name typed and not yet left is stored before the next one shows.
            panel.tfAge()->setFocus();
            QTest::keyClicks(panel.tfAge(), QString::number(30 + at));
            QTest::mouseClick(panel.nextButton(), Qt::LeftButton);
            settle();
            EXPECT_EQ(character(QStringLiteral("Age"), at + 1), QString::number(30 + at));
        }
    }
    QTest::mouseClick(panel.previousButton(), Qt::LeftButton);
    EXPECT_EQ(panel.tfName()->text(), QStringLiteral("BRUNO"));

    // Away to the beats and back: the same character's panel.
    QTest::mouseClick(document_->optSelectBeats(), Qt::LeftButton);
    EXPECT_EQ(document_->characterDetailView(), nullptr);
    QTest::mouseClick(document_->optSelectCharacters(), Qt::LeftButton);
    ASSERT_NE(document_->characterDetailView(), nullptr);
    EXPECT_EQ(document_->characterDetailView()->tfName()->text(), QStringLiteral("BRUNO"));

    // Closing shows the list, its section highlighted and stored.
    QTest::mouseClick(document_->characterDetailView()->closeButton(), Qt::LeftButton);
    settle();
    EXPECT_EQ(document_->characterDetailView(), nullptr);
    EXPECT_EQ(document_->currentlyEditingCharacter(), nullptr);
    ASSERT_NE(document_->charactersTableView(), nullptr);
    EXPECT_EQ(stored(QStringLiteral("SELECT BeatSectionShowing FROM Screenplay")), QStringLiteral("1"));
    EXPECT_FALSE(document_->window()->tbDeleteItem()->isVisible());
}

TEST_F(DetailPanels, AttachmentsAreDroppedMadePrimaryAndDeletedWithTheRightPicture)
{
    CharacterDetailView& panel = openCharacter(
        {QStringLiteral("ADA")}, {picture(QStringLiteral("Harbour"), Qt::red), picture(QStringLiteral("Lighthouse"), Qt::blue),
                                  picture(QStringLiteral("Storm"), Qt::green)});
    QTableView* table = panel.tvAttachments();
    const QImage generic = panel.imgImage()->pixmap().toImage();
    for (std::int64_t key : {1, 2, 3})
        EXPECT_TRUE(dropOnCell(table, 0, *attachmentDrag(key, document_)));
    EXPECT_EQ(links(), QStringLiteral("1:1 2:0 3:0"));
    EXPECT_EQ(table->model()->rowCount(), 6);
    EXPECT_EQ(table->model()->index(2, 1).data().toString(), QStringLiteral("\nLighthouse"));
    const QImage harbour = panel.imgImage()->pixmap().toImage();
    EXPECT_NE(harbour, generic);
    fakes_.alerts->shown.clear();
    EXPECT_FALSE(dropOnCell(table, 0, *attachmentDrag(2, document_)));
    ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
    EXPECT_EQ(fakes_.alerts->shown[0].message, QStringLiteral("Lighthouse is already attached."));

    // The mark of the second link makes it primary; the primary one's mark does nothing.
    clickCell(table, 3, 0);
    EXPECT_EQ(links(), QStringLiteral("1:0 2:1 3:0"));
    EXPECT_NE(panel.imgImage()->pixmap().toImage(), harbour);
    clickCell(table, 3, 0);
    EXPECT_EQ(links(), QStringLiteral("1:0 2:1 3:0"));

    // A link's own description is edited in place and stored.
    const QModelIndex note = table->model()->index(1, 1);
    table->edit(note);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("the docks"));
    pressKey(editor, Qt::Key_Return);
    EXPECT_EQ(stored(QStringLiteral("SELECT Description FROM CharacterObject WHERE AttachedObjectID = 1")),
              QStringLiteral("the docks"));

    // Forward delete on either row of a pair: deleting the primary of three leaves none primary
    // and the generic picture; of the two left, deleting one leaves the other primary.
    clickCell(table, 3, 1);
    pressKey(table, Qt::Key_Delete);
    EXPECT_EQ(links(), QStringLiteral("1:0 3:0"));
    EXPECT_EQ(panel.imgImage()->pixmap().toImage(), generic);
    clickCell(table, 0, 1);
    pressKey(table, Qt::Key_Delete);
    EXPECT_EQ(links(), QStringLiteral("3:1"));
    EXPECT_EQ(stored(QStringLiteral("SELECT count(*) FROM AttachedObject")), QStringLiteral("3"));
    // Nothing selected: nothing happens.
    table->clearSelection();
    pressKey(table, Qt::Key_Delete);
    EXPECT_EQ(links(), QStringLiteral("3:1"));
}

TEST_F(DetailPanels, DraggingThePanelOrAThumbnailCarriesItsRowsAndItsStory)
{
    CharacterDetailView& panel = openCharacter(
        {QStringLiteral("ADA"), QStringLiteral("BRUNO"), QStringLiteral("CLEO"), QStringLiteral("DORA")},
        {picture(QStringLiteral("Harbour"), Qt::red)}, 3);
    const QString characterType = RecordPasteboardType::mimeType(QString::fromLatin1(RecordPasteboardType::kCharacter));
    dragFrom(panel.view(), QPoint(panel.view()->width() - 20, 990));
    ASSERT_EQ(drags_.size(), 1u);
    EXPECT_EQ(drags_[0].formats.value(characterType), QByteArray("9"));
    EXPECT_TRUE(drags_[0].formats.contains(RecordPasteboardType::sourceMimeType()));

    ASSERT_TRUE(dropOnCell(panel.tvAttachments(), 0, *attachmentDrag(1, document_)));
    const QString linkType =
        RecordPasteboardType::mimeType(QString::fromLatin1(RecordPasteboardType::kCharacterObject));
    for (int row : {0, 1}) {
        SCOPED_TRACE(row);
        drags_.clear();
        dragFrom(panel.tvAttachments()->viewport(), cellPoint(panel.tvAttachments(), row, 1));
        if (row == 1) {
            EXPECT_TRUE(drags_.empty());
            continue;
        }
        ASSERT_EQ(drags_.size(), 1u);
        EXPECT_EQ(drags_[0].formats.value(linkType), QByteArray("0"));
    }
}

TEST_F(DetailPanels, ThePanelDroppedOnABoardCardPutsItsItemInTheScene)
{
    open(itemsStory(QStringLiteral("Cards"), 1, {QStringLiteral("ADA"), QStringLiteral("BRUNO"), QStringLiteral("CLEO")},
                    {QStringLiteral("DOCKS"), QStringLiteral("MILL"), QStringLiteral("QUAY")}, {}, true));
    ASSERT_FALSE(document_->sceneCardControls().empty());
    SceneCardView* card = document_->sceneCardControls().front().get();
    const std::int64_t key = card->scene()->sceneCardID();

    document_->showCharacterDetailForCharacter(screenplay().characters()[2].get());
    dragFrom(document_->characterDetailView()->view(), QPoint(document_->characterDetailView()->view()->width() - 20, 990));
    ASSERT_EQ(drags_.size(), 1u);
    EXPECT_TRUE(dropOn(card->dragDropView(), drags_.back()));
    EXPECT_EQ(stored(QStringLiteral("SELECT CharacterID FROM SceneCardCharacter WHERE SceneCardID = %1").arg(key)),
              QStringLiteral("3"));

    QTest::mouseClick(document_->optSelectLocations(), Qt::LeftButton);
    document_->showLocationDetailForSceneLocation(screenplay().sceneLocations()[2].get());
    dragFrom(document_->locationDetailView()->view(), QPoint(document_->locationDetailView()->view()->width() - 20, 990));
    ASSERT_EQ(drags_.size(), 2u);
    EXPECT_EQ(drags_.back().formats.value(RecordPasteboardType::mimeType(
                  QString::fromLatin1(RecordPasteboardType::kSceneLocation))),
              QByteArray("6"));
    EXPECT_TRUE(dropOn(card->dragDropView(), drags_.back()));
    EXPECT_EQ(stored(QStringLiteral("SELECT SceneLocationID FROM SceneCard WHERE SceneCardID = %1").arg(key)),
              QStringLiteral("3"));
}

TEST_F(DetailPanels, TheLocationPanelStoresItsFieldsInCapitalsAndKeepsTheFocusWhenPaging)
{
    open(itemsStory(QStringLiteral("Places"), 2, {}, {QStringLiteral("DOCKS"), QStringLiteral("MILL")}));
    document_->showLocationDetailForSceneLocation(screenplay().sceneLocations()[0].get());
    LocationDetailView& panel = *document_->locationDetailView();
    PanesFixture::type(panel.tfLocation(), QStringLiteral("old docks"));
    EXPECT_EQ(stored(QStringLiteral("SELECT Location FROM SceneLocation WHERE SceneLocationID = 1")),
              QStringLiteral("OLD DOCKS"));
    panel.txtDescription()->setFocus();
    panel.txtDescription()->selectAll();
    QTest::keyClicks(panel.txtDescription(), QStringLiteral("Wet\tand grey."));
    QTest::keyClick(panel.txtDescription(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(stored(QStringLiteral("SELECT Description FROM SceneLocation WHERE SceneLocationID = 1")),
              QStringLiteral("Wet\tand grey."));
    EXPECT_EQ(QApplication::focusWidget(), panel.txtNotes());
    QTest::mouseClick(panel.nextButton(), Qt::LeftButton);
    EXPECT_EQ(panel.tfLocation()->text(), QStringLiteral("MILL"));
    EXPECT_NE(QApplication::focusWidget(), panel.tfLocation());
    EXPECT_FALSE(panel.nextButton()->isVisible());
}

TEST_F(DetailPanels, DeletingAnAttachmentTakesEveryLinkAndPassesThePictureOn)
{
    const QString path = itemsStory(QStringLiteral("Deleting"), 1, {QStringLiteral("ADA"), QStringLiteral("BRUNO")},
                                    {QStringLiteral("DOCKS")},
                                    {picture(QStringLiteral("Harbour"), Qt::red), picture(QStringLiteral("Lighthouse"), Qt::blue),
                                     picture(QStringLiteral("Storm"), Qt::green)});
    // ADA: Harbour (primary) and Lighthouse; BRUNO: Harbour (primary), Lighthouse, Storm;
    // the docks: Harbour alone.
    storeLink(path, "CharacterObject", 1, 1, 1);
    storeLink(path, "CharacterObject", 1, 2, 0);
    storeLink(path, "CharacterObject", 2, 1, 1);
    storeLink(path, "CharacterObject", 2, 2, 0);
    storeLink(path, "CharacterObject", 2, 3, 0);
    storeLink(path, "SceneLocationObject", 1, 1, 1);
    open(path);
    document_->showCharacterDetailForCharacter(screenplay().characters()[0].get());
    CharacterDetailView& panel = *document_->characterDetailView();
    const QImage harbour = panel.imgImage()->pixmap().toImage();

    document_->deleteAttachment(1);
    EXPECT_EQ(stored(QStringLiteral("SELECT count(*) FROM AttachedObject WHERE AttachedObjectID = 1")), QStringLiteral("0"));
    EXPECT_EQ(stored(QStringLiteral("SELECT count(*) FROM CharacterObject WHERE AttachedObjectID = 1")), QStringLiteral("0"));
    EXPECT_EQ(stored(QStringLiteral("SELECT count(*) FROM SceneLocationObject")), QStringLiteral("0"));
    // ADA keeps one link, now her picture; BRUNO keeps two, neither marked.
    EXPECT_EQ(stored(QStringLiteral("SELECT group_concat(AttachedObjectID || ':' || PrimaryDisplayFlag, ' ') FROM "
                                    "(SELECT * FROM CharacterObject WHERE CharacterID = 1 ORDER BY 1)")),
              QStringLiteral("2:1"));
    EXPECT_EQ(stored(QStringLiteral("SELECT group_concat(AttachedObjectID || ':' || PrimaryDisplayFlag, ' ') FROM "
                                    "(SELECT * FROM CharacterObject WHERE CharacterID = 2 ORDER BY 1)")),
              QStringLiteral("2:0 3:0"));
    EXPECT_EQ(panel.tvAttachments()->model()->rowCount(), 2);
    EXPECT_NE(panel.imgImage()->pixmap().toImage(), harbour);
    // An attachment that is no longer there changes nothing.
    document_->deleteAttachment(1);
    EXPECT_EQ(stored(QStringLiteral("SELECT count(*) FROM CharacterObject")), QStringLiteral("3"));
}

TEST_F(DetailPanels, AnAttachmentOpensFromACheckedCopyInThePrivateFolder)
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::yellow);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    const AttachmentSpec jpegNamedPng = picture(QStringLiteral("Harbour"), Qt::red, QStringLiteral("C:\\pics\\..\\harbour.png"));
    const AttachmentSpec pngPicture{QStringLiteral("Sign"), QStringLiteral("/home/x/sign"), 1, png, png};
    const AttachmentSpec script{QStringLiteral("Draft"), QStringLiteral("drafts/run me;rm -rf.sh"), 2,
                                QByteArray("#!/bin/sh\necho hi\n"), QByteArray()};
    const AttachmentSpec hidden{QStringLiteral("Dots"), QStringLiteral("../../.profile"), 2, QByteArray("x"), QByteArray()};
    open(itemsStory(QStringLiteral("Opening"), 1, {QStringLiteral("ADA")}, {}, {jpegNamedPng, pngPicture, script, hidden}));
    const QString folder = fakes_.workspace->folder;

    struct Case {
        std::int64_t key;
        const char* fileName;
        QByteArray bytes;
    };
    const Case cases[] = {
        {1, "harbour.jpg", jpegNamedPng.content},
        {1, "harbour 2.jpg", jpegNamedPng.content}, // the first copy is not overwritten
        {2, "sign.png", png},
        {3, "run me_rm -rf.sh", script.content},
        {4, "profile", QByteArray("x")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fileName);
        fakes_.workspace->openedFiles.clear();
        ASSERT_TRUE(document_->openAttachmentFileInNativeApplication(screenplay().attachmentForID(c.key)));
        ASSERT_EQ(fakes_.workspace->openedFiles.size(), 1);
        const QString opened = fakes_.workspace->openedFiles.front();
        EXPECT_EQ(opened, QDir(folder).filePath(QString::fromUtf8(c.fileName)));
        QFile file(opened);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), c.bytes);
        EXPECT_FALSE(file.permissions() & (QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther));
    }
    EXPECT_TRUE(fakes_.alerts->shown.empty());

    // A folder that cannot be made (a file stands in its way): an alert and nothing opened.
    QFile blocker(QDir(home_.path()).filePath(QStringLiteral("blocked")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    fakes_.workspace->folder = QDir(blocker.fileName()).filePath(QStringLiteral("private"));
    fakes_.workspace->openedFiles.clear();
    EXPECT_FALSE(document_->openAttachmentFileInNativeApplication(screenplay().attachmentForID(1)));
    EXPECT_TRUE(fakes_.workspace->openedFiles.isEmpty());
    ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
    EXPECT_EQ(fakes_.alerts->shown[0].title, QStringLiteral("Open Attachment"));
    EXPECT_TRUE(fakes_.alerts->shown[0].message.contains(QStringLiteral("harbour.png")));

    // A thumbnail click in the panel opens through the same road.
    fakes_.workspace->folder = folder;
    fakes_.workspace->openedFiles.clear();
    document_->showCharacterDetailForCharacter(screenplay().characters()[0].get());
    CharacterDetailView& panel = *document_->characterDetailView();
    ASSERT_TRUE(dropOnCell(panel.tvAttachments(), 0, *attachmentDrag(2, document_)));
    clickCell(panel.tvAttachments(), 0, 0);
    ASSERT_EQ(fakes_.workspace->openedFiles.size(), 1);
    EXPECT_EQ(QFileInfo(fakes_.workspace->openedFiles.front()).fileName(), QStringLiteral("sign 2.png"));
}

TEST_F(DetailPanels, AddALocationPutsTheCaretInTheNewLocationsName)
{
    struct Case {
        const char* name;
        std::int64_t section;
        bool fromTheMenu;
        const char* typed;
        const char* stored;
    };
    const Case cases[] = {
        {"the pane's add button among the locations", 2, false, "harbour office", "HARBOUR OFFICE"},
        {"the menu while the characters show", 1, true, "old mill", "OLD MILL"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open(itemsStory(QStringLiteral("Add%1").arg(c.section), c.section, {QStringLiteral("ADA")},
                        {QStringLiteral("DOCKS")}));
        if (c.fromTheMenu)
            document_->addDeleteItem(app_->actions().mnuAddLocation);
        else
            document_->window()->tbAddItem()->trigger();
        settle();
        ASSERT_NE(document_->locationDetailView(), nullptr);
        EXPECT_EQ(QApplication::focusWidget(), document_->locationDetailView()->tfLocation());
        QTest::keyClicks(QApplication::focusWidget(), QString::fromLatin1(c.typed));
        pressKey(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(stored(QStringLiteral("SELECT Location FROM SceneLocation ORDER BY SceneLocationID DESC LIMIT 1")),
                  QString::fromLatin1(c.stored));
        document_->window()->close();
        settle();
    }
}

TEST_F(DetailPanels, PagingThroughThePanelsRewritesNoNameThatWasNotTyped)
{
    // Names stored in small letters (by an import, say) stay so until the writer edits them.
    CharacterDetailView& panel = openCharacter({QStringLiteral("ada"), QStringLiteral("Bruno"), QStringLiteral("cleo")});
    ASSERT_EQ(QApplication::focusWidget(), panel.tfName());
    const QString before = stored(QStringLiteral("SELECT group_concat(CharacterName, '|') FROM Character"));
    const QString changes = stored(QStringLiteral("SELECT total_changes()"));
    for (int step = 0; step < 2; ++step) {
        panel.tfName()->setFocus();
        QTest::mouseClick(panel.nextButton(), Qt::LeftButton);
        settle();
    }
    panel.tfName()->setFocus();
    QTest::mouseClick(panel.previousButton(), Qt::LeftButton);
    settle();
    EXPECT_EQ(stored(QStringLiteral("SELECT group_concat(CharacterName, '|') FROM Character")), before);
    EXPECT_EQ(stored(QStringLiteral("SELECT total_changes()")), changes) << "nothing was written";

    // A name typed into is written as typed while the writer pauses, in capitals once left.
    panel.tfName()->setFocus();
    panel.tfName()->selectAll();
    QTest::keyClicks(panel.tfName(), QStringLiteral("bruno b"));
    waitUntil([&] { return character(QStringLiteral("CharacterName"), 2) == QStringLiteral("bruno b"); });
    EXPECT_EQ(character(QStringLiteral("CharacterName"), 2), QStringLiteral("bruno b"));
    pressKey(panel.tfName(), Qt::Key_Tab);
    EXPECT_EQ(character(QStringLiteral("CharacterName"), 2), QStringLiteral("BRUNO B"));
}

TEST_F(DetailPanels, EveryTextOfThePanelIsWrittenASecondAfterTheLastKey)
{
    CharacterDetailView& panel = openCharacter({QStringLiteral("ADA")});
    struct Field {
        QWidget* widget;
        const char* column;
    };
    const Field fields[] = {{panel.tfAge(), "Age"},           {panel.txtDescription(), "Description"},
                            {panel.txtWants(), "Wants"},      {panel.txtNeeds(), "Needs"},
                            {panel.txtNotes(), "Notes"}};
    for (const Field& field : fields) {
        SCOPED_TRACE(field.column);
        const QString column = QString::fromLatin1(field.column);
        const QString typed = QStringLiteral("typed into %1").arg(column);
        field.widget->setFocus();
        if (auto* line = qobject_cast<QLineEdit*>(field.widget))
            line->selectAll();
        else
            static_cast<QPlainTextEdit*>(field.widget)->selectAll();
        QTest::keyClicks(field.widget, typed);
        EXPECT_NE(character(column), typed) << "not before the pause";
        waitUntil([&] { return character(column) == typed; });
        EXPECT_TRUE(field.widget->hasFocus());
        EXPECT_EQ(character(column), typed);
    }
    // A cell of the six things, through the table's own editor; Escape then gives the cell,
    // the character and the file back what the cell held when its edit began.
    QTableView* table = panel.tvSixThings();
    const QString before = QStringLiteral("Owes Northline money");
    panel.setSixThing(1, before);
    clickCell(table, 1, 0);
    QTest::keyClick(table, Qt::Key_Return);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("Fears heights"));
    EXPECT_TRUE(QTest::qWaitFor([this] { return character(QStringLiteral("NeedsFixing1")) == "Fears heights"; }));
    EXPECT_EQ(QApplication::focusWidget(), editor);
    QTest::keyClicks(editor, QStringLiteral(" and"));
    QTest::keyClick(editor, Qt::Key_Escape);
    settle();
    EXPECT_EQ(character(QStringLiteral("NeedsFixing1")), before);
    EXPECT_EQ(panel.character()->needsFixing1(), before);
    EXPECT_EQ(table->model()->index(1, 0).data().toString(), before);
}
