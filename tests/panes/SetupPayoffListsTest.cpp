#include "ItemsFixture.h"

#include "app/AdviceWindow.h"
#include "app/AppActions.h"
#include "app/MyDocument.h"
#include "app/StoryWindow.h"
#include "board/BoardImages.h"
#include "board/RecordPasteboardType.h"
#include "board/SceneCardPainter.h"
#include "board/SceneCardView.h"
#include "model/SceneCarddb.h"
#include "model/ScenePayoffdb.h"
#include "model/SceneSetupdb.h"
#include "model/Screenplaydb.h"
#include "model/StoryFile.h"
#include "panes/ModalDialogs.h"
#include "panes/PaneImages.h"
#include "panes/SetupPayoffTableView.h"
#include "scene_editor/BigSceneView.h"
#include "scene_editor/SetupPayoffSelectorWindow.h"
#include "support/SqlProbe.h"

#include <QAbstractItemDelegate>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>
#include <QTextEdit>

#include <algorithm>

namespace {

// The two lists, told apart by their section.
struct ListCase {
    std::int64_t section;
    const char* table;
    const char* emptyText;
    const char* noPartner;
    const char* dragType;
};

const ListCase kLists[] = {
    {3, "SceneSetup", "No Set-ups", "No Pay-off", RecordPasteboardType::kSceneSetup},
    {4, "ScenePayoff", "No Pay-offs", "No Set-up", RecordPasteboardType::kScenePayoff},
};

QImage imageOf(const QModelIndex& index)
{
    return index.data(Qt::DecorationRole).value<QPixmap>().toImage();
}

QImage named(const char* name)
{
    return PaneImages::image(QString::fromLatin1(name)).toImage();
}

} // namespace

class SetupPayoffLists : public ItemsFixture
{
protected:
    // Opens a story with the initial beat cards, showing `section`, with these set-ups and
    // pay-offs (keys 1, 2, ... in the order given).
    void openStory(std::int64_t section, const std::vector<SetupPayoffSpec>& setups,
                   const std::vector<SetupPayoffSpec>& payoffs)
    {
        const QString path = itemsStory(QStringLiteral("Links%1").arg(section), section, {}, {}, {}, true);
        storeSetupsAndPayoffs(path, setups, payoffs);
        open(path);
    }

    QTableView* table() const
    {
        if (document_->setupsTableView())
            return document_->setupsTableView()->tvTable();
        return document_->payoffsTableView() ? document_->payoffsTableView()->tvTable() : nullptr;
    }

    std::int64_t selectedPosition() const
    {
        if (document_->setupsTableView())
            return document_->setupsTableView()->selectedPosition();
        return document_->payoffsTableView() ? document_->payoffsTableView()->selectedPosition() : -1;
    }

    QAction* deleteItem(std::int64_t section) const
    {
        return section == 3 ? app_->actions().mnuDeleteSetup : app_->actions().mnuDeletePayoff;
    }

    // Whether the delete button and the section's delete menu item show (they must agree).
    bool deleteShows(std::int64_t section) const
    {
        const bool button = document_->window()->tbDeleteItem()->isVisible();
        EXPECT_EQ(deleteItem(section)->isVisible(), button);
        return button;
    }

    QString shownHelp() const
    {
        return document_->adviceWindow() ? document_->adviceWindow()->webDocument()->source().toString() : QString();
    }


    void closeWindow()
    {
        document_->window()->close();
        settle();
    }
};

TEST_F(SetupPayoffLists, ThreeItemsGiveNineRowsWhoseSpacersCannotBeSelected)
{
    for (const ListCase& list : kLists) {
        SCOPED_TRACE(list.section);
        // The first item lies on the second board card and is linked; the other two are free.
        openStory(list.section, {{"the gun", 1, 1}, {"a loose thread"}, {"the key"}},
                  {{"the gun fires", 2}, {"a loose end"}, {"the door opens"}});
        QTableView* rows = table();
        ASSERT_NE(rows, nullptr);
        ASSERT_EQ(rows->model()->rowCount(), 9);
        const QColor standard = document_->standardBackgroundColor();
        for (int spacer : {2, 5, 8}) {
            SCOPED_TRACE(spacer);
            EXPECT_EQ(rows->rowHeight(spacer), 20);
            for (int column = 0; column < 3; ++column) {
                const QModelIndex cell = rows->model()->index(spacer, column);
                EXPECT_EQ(cell.data(Qt::BackgroundRole).value<QColor>(), standard);
                EXPECT_FALSE(cell.flags() & (Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsDragEnabled));
                clickCell(rows, spacer, column);
                EXPECT_TRUE(rows->selectionModel()->selectedIndexes().isEmpty());
                EXPECT_FALSE(deleteShows(list.section));
            }
        }
        // Free items come first, in text order. The linked item on a card: its heading and page
        // above its text, bold; the partner below.
        const SceneCarddb* card = screenplay().sceneCardForSceneCardID(cardKeyAt(list.section == 3 ? 1 : 2));
        ASSERT_NE(card, nullptr);
        const QModelIndex item = rows->model()->index(6, 1);
        const QString on = list.section == 3 ? QStringLiteral("the gun") : QStringLiteral("the gun fires");
        EXPECT_EQ(item.data().toString(),
                  QStringLiteral("%1 (p. %2)\n%3").arg(card->heading()).arg(card->pageNumber()).arg(on));
        EXPECT_TRUE(item.data(Qt::FontRole).value<QFont>().bold());
        EXPECT_FALSE(rows->model()->index(7, 1).data(Qt::FontRole).value<QFont>().bold());
        const QString partner = rows->model()->index(7, 1).data().toString();
        const QString partnerText = list.section == 3 ? QStringLiteral("\nthe gun fires") : QStringLiteral("\nthe gun");
        EXPECT_TRUE(partner.endsWith(partnerText)) << partner.toStdString();
        EXPECT_GE(rows->rowHeight(6), 53);
        EXPECT_GE(rows->rowHeight(7), 53);
        // A free item without a partner: its text alone, and the note that it has none.
        EXPECT_EQ(rows->model()->index(0, 1).data().toString(), list.section == 3 ? "a loose thread" : "a loose end");
        EXPECT_EQ(rows->model()->index(1, 1).data().toString(), list.noPartner);
        EXPECT_EQ(rows->rowHeight(1), 20);
        // Marks: help, break or make the link, jump to a card or nothing.
        EXPECT_EQ(imageOf(rows->model()->index(6, 0)), named("zorvin"));
        EXPECT_EQ(imageOf(rows->model()->index(6, 2)), named("JumpStraightTo"));
        EXPECT_EQ(imageOf(rows->model()->index(7, 0)), named("BreakTheLink"));
        EXPECT_EQ(imageOf(rows->model()->index(7, 2)), named("JumpStraightTo"));
        EXPECT_EQ(imageOf(rows->model()->index(0, 2)), named("BlankZorvin"));
        EXPECT_EQ(imageOf(rows->model()->index(1, 0)), named("Link"));
        EXPECT_EQ(imageOf(rows->model()->index(1, 2)), named("BlankZorvin"));

        // Item and partner rows select their item and bring the delete commands.
        for (int row : {7, 3, 1}) {
            SCOPED_TRACE(row);
            clickCell(rows, row, 1);
            QApplication::processEvents();
            EXPECT_EQ(selectedPosition(), row / 3);
            EXPECT_TRUE(deleteShows(list.section));
            if (QWidget* editor = rows->findChild<QPlainTextEdit*>(QStringLiteral("itemEditor")))
                QTest::keyClick(editor, Qt::Key_Escape);
        }
        // The keyboard passes over the spacers.
        clickCell(rows, 1, 1);
        settle();
        rows->setFocus();
        QTest::keyClick(rows, Qt::Key_Down);
        EXPECT_EQ(rows->currentIndex().row(), 3);
        rows->clearSelection();
        EXPECT_FALSE(deleteShows(list.section));
        // Bold lines each a little wider than the cell leaves its text: the row holds the two lines
        // each of them takes.
        const QModelIndex own = rows->model()->index(3, 1);
        const int margins = 2 * (rows->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, rows) + 1);
        QString line = QStringLiteral("a");
        while (QFontMetrics(own.data(Qt::FontRole).value<QFont>()).horizontalAdvance(line) <=
               rows->visualRect(own).width() - margins)
            line += QStringLiteral(" a");
        ASSERT_TRUE(rows->model()->setData(own, QStringList(6, line).join(QLatin1Char('\n'))));
        QStyleOptionViewItem cell; // as the table draws the row
        cell.rect = rows->visualRect(own);
        cell.features = QStyleOptionViewItem::WrapText;
        cell.widget = rows;
        EXPECT_GE(rows->rowHeight(3), rows->itemDelegate()->sizeHint(cell, own).height());
        closeWindow();
    }
}

TEST_F(SetupPayoffLists, AnEmptyListShowsOneRowThatNothingSelects)
{
    for (const ListCase& list : kLists) {
        SCOPED_TRACE(list.section);
        openStory(list.section, {}, {});
        QTableView* rows = table();
        ASSERT_EQ(rows->model()->rowCount(), 1);
        const QModelIndex text = rows->model()->index(0, 1);
        EXPECT_EQ(text.data().toString(), list.emptyText);
        EXPECT_EQ(text.data(Qt::BackgroundRole).value<QColor>(), document_->standardBackgroundColor());
        EXPECT_EQ(text.data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::white));
        EXPECT_TRUE(text.data(Qt::FontRole).value<QFont>().bold());
        EXPECT_EQ(imageOf(rows->model()->index(0, 0)), named("zorvin"));
        EXPECT_EQ(rows->rowHeight(0), 20);
        for (int column = 0; column < 3; ++column) {
            clickCell(rows, 0, column);
            settle();
            EXPECT_TRUE(rows->selectionModel()->selectedIndexes().isEmpty());
            EXPECT_FALSE(deleteShows(list.section));
            EXPECT_TRUE(shownHelp().isEmpty());
        }
        // Even selected by hand, the empty row deletes nothing and asks nothing.
        rows->selectionModel()->select(rows->model()->index(0, 1), QItemSelectionModel::Select);
        document_->window()->tbDeleteItem()->trigger();
        deleteItem(list.section)->trigger();
        EXPECT_TRUE(fakes_.alerts->shown.empty());
        closeWindow();
    }
}

TEST_F(SetupPayoffLists, TheLinkMarkOfASetupShowsOnlyWhileAPayoffIsFree)
{
    struct Case {
        std::int64_t section;
        std::vector<SetupPayoffSpec> setups;
        std::vector<SetupPayoffSpec> payoffs;
        const char* mark; // of the unlinked item's partner row
    };
    const Case cases[] = {
        {3, {{"linked", -1, 1}, {"unlinked"}}, {{"taken"}}, "BlankZorvin"},
        {3, {{"linked", -1, 1}, {"unlinked"}}, {{"taken"}, {"free"}}, "Link"},
        {4, {{"linked", -1, 1}}, {{"taken"}, {"unlinked"}}, "Link"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mark);
        openStory(c.section, c.setups, c.payoffs);
        EXPECT_EQ(imageOf(table()->model()->index(4, 0)), named(c.mark));
        closeWindow();
    }
}

TEST_F(SetupPayoffLists, HelpAndJumpsComeOnceTheClickIsDone)
{
    for (const ListCase& list : kLists) {
        SCOPED_TRACE(list.section);
        openStory(list.section, {{"the gun", 1, 1}, {"free"}}, {{"the gun fires", 2}, {"free"}});
        QTableView* rows = table();
        const std::int64_t itemCard = cardKeyAt(list.section == 3 ? 1 : 2);
        const std::int64_t partnerCard = cardKeyAt(list.section == 3 ? 2 : 1);
        const std::int64_t itemTab = list.section == 3 ? 2 : 3;

        // The mascot asks for the advice page and selects nothing.
        clickCell(rows, 0, 0);
        EXPECT_TRUE(shownHelp().isEmpty());
        settle();
        EXPECT_TRUE(shownHelp().contains(QLatin1String("SETUPPAYOFF"))) << shownHelp().toStdString();
        EXPECT_EQ(selectedPosition(), -1);

        // No card to jump to: nothing (the free item comes first).
        clickCell(rows, 0, 2);
        clickCell(rows, 1, 2);
        settle();
        EXPECT_EQ(document_->bigSceneViewController(), nullptr);

        struct Jump {
            int row;
            std::int64_t card;
            std::int64_t tab;
        };
        for (const Jump& jump : {Jump{3, itemCard, itemTab}, Jump{4, partnerCard, 5 - itemTab}}) {
            SCOPED_TRACE(jump.row);
            clickCell(rows, jump.row, 2);
            EXPECT_NE(screenplay().bigSceneSceneCardID(), jump.card) << "the jump waits for the click to end";
            settle();
            ASSERT_NE(document_->bigSceneViewController(), nullptr);
            EXPECT_EQ(document_->bigSceneViewController()->scene()->sceneCardID(), jump.card);
            EXPECT_EQ(document_->bigSceneViewController()->selectedTabID(), jump.tab);
            EXPECT_EQ(stored(QStringLiteral("SELECT BigSceneSceneCardID FROM Screenplay")).toLongLong(), jump.card);
        }
        closeWindow();
    }
}

TEST_F(SetupPayoffLists, AFreeItemIsEditedInPlaceAndOneOnACardIsNot)
{
    for (const ListCase& list : kLists) {
        SCOPED_TRACE(list.section);
        openStory(list.section, {{"on a card", 1}, {"free", -1, 1}}, {{"free"}, {"on a card", 1}});
        QTableView* rows = table();
        // Free items come first: row 0 is the free one.
        ASSERT_EQ(rows->model()->index(0, 1).data().toString(), QStringLiteral("free"));
        clickCell(rows, 3, 1);
        EXPECT_EQ(rows->findChild<QPlainTextEdit*>(QStringLiteral("itemEditor")), nullptr);
        EXPECT_EQ(selectedPosition(), 1);

        clickCell(rows, 0, 1);
        auto* editor = rows->findChild<QPlainTextEdit*>(QStringLiteral("itemEditor"));
        ASSERT_NE(editor, nullptr);
        EXPECT_FALSE(editor->textCursor().hasSelection());
        QTest::keyClicks(editor, QStringLiteral(" and loose"));
        QTest::keyClick(editor, Qt::Key_Return);
        settle();
        const QString column = list.section == 3 ? QStringLiteral("SceneSetup") : QStringLiteral("ScenePayoff");
        EXPECT_EQ(stored(QStringLiteral("SELECT %1 FROM %2 WHERE %2ID = %3")
                             .arg(column, QLatin1String(list.table))
                             .arg(list.section == 3 ? 2 : 1)),
                  QStringLiteral("free and loose"));
        EXPECT_EQ(rows->model()->index(0, 1).data().toString(), QStringLiteral("free and loose"));
        // The partner's copy of the text says the same.
        if (list.section == 3)
            EXPECT_EQ(screenplay().payoffForPayoffID(1)->sceneSetup(), QStringLiteral("free and loose"));
        else
            EXPECT_EQ(screenplay().setupForSetupID(2)->scenePayoff(), QStringLiteral("free and loose"));

        // Escape cancels an edit: what the typing pause wrote of it goes too.
        const QString text = QStringLiteral("SELECT group_concat(%1) FROM %2").arg(column, QLatin1String(list.table));
        clickCell(rows, 0, 1);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral(" ends"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return stored(text).contains(QStringLiteral("free and loose ends")); }));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        settle();
        EXPECT_FALSE(stored(text).contains(QStringLiteral("ends")));
        EXPECT_EQ(rows->model()->index(0, 1).data().toString(), QStringLiteral("free and loose"));
        closeWindow();
    }
}

TEST_F(SetupPayoffLists, AFreeItemIsDraggedOntoACardAsItsRowNumber)
{
    for (const ListCase& list : kLists) {
        SCOPED_TRACE(list.section);
        openStory(list.section, {{"a"}, {"b"}, {"on a card", 0}}, {{"a"}, {"b"}, {"on a card", 0}});
        QTableView* rows = table();
        const QString type = RecordPasteboardType::mimeType(QString::fromLatin1(list.dragType));
        drags_.clear();
        // A card's own item, a partner row and a spacer drag nothing.
        for (int row : {6, 4}) {
            dragFrom(rows->viewport(), cellPoint(rows, row, 1));
            EXPECT_TRUE(drags_.empty()) << row;
        }
        dragFrom(rows->viewport(), cellPoint(rows, 3, 1));
        ASSERT_EQ(drags_.size(), 1u);
        EXPECT_EQ(drags_[0].formats.value(type), QByteArray("3"));
        EXPECT_EQ(rows->findChild<QPlainTextEdit*>(QStringLiteral("itemEditor")), nullptr);

        SceneCarddb* card = screenplay().sceneCardForSceneCardID(cardKeyAt(4));
        SceneCardView* target = card ? document_->sceneCardControlForSceneCard(card) : nullptr;
        ASSERT_NE(target, nullptr);
        EXPECT_TRUE(dropOn(target->dragDropView(), drags_[0]));
        EXPECT_EQ(stored(QStringLiteral("SELECT SceneCardID FROM %1 WHERE %1ID = 2").arg(QLatin1String(list.table)))
                      .toLongLong(),
                  cardKeyAt(4));
        // The list shows it on its card now.
        EXPECT_TRUE(table()->model()->index(3, 1).data().toString().endsWith(QStringLiteral("\nb")));
        closeWindow();
    }
}

TEST_F(SetupPayoffLists, LinkingAndUnlinkingShowOnBothListsTheCardsAndTheLargeCard)
{
    for (const ListCase& list : kLists) {
        SCOPED_TRACE(list.section);
        // The set-up lies on the second board card, the pay-off on the third; neither is linked.
        openStory(list.section, {{"the gun", 1}}, {{"the shot", 2}});
        const std::int64_t setupCard = cardKeyAt(1);
        const std::int64_t payoffCard = cardKeyAt(2);
        const SceneCardView* setupView =
            document_->sceneCardControlForSceneCard(screenplay().sceneCardForSceneCardID(setupCard));
        const SceneCardView* payoffView =
            document_->sceneCardControlForSceneCard(screenplay().sceneCardForSceneCardID(payoffCard));
        ASSERT_TRUE(setupView && payoffView);
        document_->openBigSceneCardForSetup(screenplay().sceneCardForSceneCardID(setupCard));
        BigSceneView* big = document_->bigSceneViewController();
        ASSERT_NE(big, nullptr);
        auto indicator = [](const SceneCardView* view, SceneCardIndicator::Kind kind) {
            for (const SceneCardIndicator& shown : view->indicators())
                if (shown.kind == kind)
                    return shown.imageName;
            return QString();
        };
        auto bigSetups = [big] { return big->imgSetups()->pixmap().toImage(); };
        EXPECT_EQ(bigSetups(), boardImage(QStringLiteral("SetupsWithOutPayoffs")).toImage());

        // The picker offers the partner; a click on it makes the link.
        const QString partner = list.section == 3 ? QStringLiteral("the shot") : QStringLiteral("the gun");
        int pickerRuns = 0;
        ModalDialogs::setRunner([&](QDialog& dialog) {
            ++pickerRuns;
            auto& picker = dynamic_cast<SetupPayoffSelectorWindow&>(dialog);
            QAbstractItemModel* rows = picker.tvTable()->model();
            for (int row = 0; row < rows->rowCount(); ++row)
                if (rows->index(row, 0).data().toString().endsWith(partner))
                    clickCell(picker.tvTable(), row, 0);
            return dialog.result();
        });
        clickCell(table(), 1, 0);
        settle();
        EXPECT_EQ(pickerRuns, 1);
        EXPECT_EQ(stored(QStringLiteral("SELECT ScenePayoffID FROM SceneSetup WHERE SceneSetupID = 1")),
                  QStringLiteral("1"));
        EXPECT_TRUE(table()->model()->index(1, 1).data().toString().endsWith(QStringLiteral("\n") + partner));
        EXPECT_EQ(imageOf(table()->model()->index(1, 0)), named("BreakTheLink"));
        EXPECT_EQ(indicator(setupView, SceneCardIndicator::Setups), QStringLiteral("SetupsWithPayoffs"));
        EXPECT_EQ(indicator(payoffView, SceneCardIndicator::Payoffs), QStringLiteral("PayoffsWithSetups"));
        EXPECT_EQ(bigSetups(), boardImage(QStringLiteral("SetupsWithPayoffs")).toImage());

        // The other list shows the same link.
        QLabel* other = list.section == 3 ? document_->optSelectPayoffs() : document_->optSelectSetups();
        QLabel* own = list.section == 3 ? document_->optSelectSetups() : document_->optSelectPayoffs();
        QTest::mouseClick(other, Qt::LeftButton);
        const QString item = list.section == 3 ? QStringLiteral("the gun") : QStringLiteral("the shot");
        EXPECT_TRUE(table()->model()->index(1, 1).data().toString().endsWith(QStringLiteral("\n") + item));
        QTest::mouseClick(own, Qt::LeftButton);

        // "Remove Link" asks with "Yes" first: "No" keeps the link, "Yes" breaks it.
        fakes_.alerts->answers = {AlertAlternateReturn, AlertDefaultReturn};
        clickCell(table(), 1, 0);
        ASSERT_EQ(fakes_.alerts->shown.size(), 1u);
        EXPECT_EQ(fakes_.alerts->shown[0].title, QStringLiteral("Remove Link"));
        EXPECT_EQ(fakes_.alerts->shown[0].defaultButton, QStringLiteral("Yes"));
        EXPECT_EQ(stored(QStringLiteral("SELECT ScenePayoffID FROM SceneSetup")), QStringLiteral("1"));
        clickCell(table(), 1, 0);
        settle();
        EXPECT_EQ(fakes_.alerts->shown.size(), 2u);
        EXPECT_EQ(stored(QStringLiteral("SELECT ScenePayoffID FROM SceneSetup")), QStringLiteral("0"));
        EXPECT_EQ(table()->model()->index(1, 1).data().toString(), list.noPartner);
        EXPECT_EQ(indicator(setupView, SceneCardIndicator::Setups), QStringLiteral("SetupsWithOutPayoffs"));
        EXPECT_EQ(indicator(payoffView, SceneCardIndicator::Payoffs), QStringLiteral("PayoffsWithoutSetups"));
        EXPECT_EQ(bigSetups(), boardImage(QStringLiteral("SetupsWithOutPayoffs")).toImage());
        EXPECT_EQ(screenplay().payoffForPayoffID(1)->sceneSetupID(), 0);
        fakes_.alerts->shown.clear();
        closeWindow();
    }
}

TEST_F(SetupPayoffLists, DeletingACardFreesItsItemsInTheListAtOnce)
{
    for (const ListCase& list : kLists) {
        for (const bool fromLargeCard : {false, true}) {
            SCOPED_TRACE(list.section);
            SCOPED_TRACE(fromLargeCard ? "the large card's delete" : "the card's own delete mark");
            // The item lies on the second board card; a free one comes before it.
            openStory(list.section, {{"the gun", 1}, {"a loose end"}}, {{"the shot", 1}, {"a loose end"}});
            SceneCarddb* card = screenplay().sceneCardForSceneCardID(cardKeyAt(1));
            ASSERT_NE(card, nullptr);
            const QString item = list.section == 3 ? QStringLiteral("the gun") : QStringLiteral("the shot");
            ASSERT_EQ(table()->model()->index(3, 1).data().toString(),
                      QStringLiteral("%1 (p. %2)\n%3").arg(card->heading()).arg(card->pageNumber()).arg(item));
            fakes_.alerts->answers = {AlertOtherReturn};
            if (fromLargeCard)
                document_->openBigSceneCard(card, 1);
            // The table reads the story as it draws: only a reload redraws what it shows.
            const QSignalSpy reloads(table()->model(), &QAbstractItemModel::modelReset);
            if (fromLargeCard) {
                QTest::mouseClick(document_->bigSceneViewController()->cmdDelete(), Qt::LeftButton);
            } else {
                SceneCardView* view = document_->sceneCardControlForSceneCard(card);
                document_->scrBoard()->ensureWidgetVisible(view->view());
                const QPoint mark = view->layout().frame(SceneCardPart::Delete).center();
                QTest::mouseClick(view->view(), Qt::LeftButton, {}, mark);
            }
            settle();
            ASSERT_EQ(fakes_.alerts->shown.size(), 1u) << "the delete was asked";
            EXPECT_EQ(stored(QStringLiteral("SELECT group_concat(SceneCardID) FROM %1").arg(list.table)), "0,0");
            // The item is free now: its text alone, no jump.
            EXPECT_GE(reloads.count(), 1);
            EXPECT_EQ(table()->model()->index(3, 1).data().toString(), item);
            EXPECT_EQ(imageOf(table()->model()->index(3, 2)), named("BlankZorvin"));
            fakes_.alerts->shown.clear();
            closeWindow();
        }
    }
}

TEST_F(SetupPayoffLists, ALinkMarkWithNoFreePartnerOpensNoPicker)
{
    // Every set-up is linked: the pay-off's mark shows, yet a click on it does nothing.
    openStory(4, {{"the gun", -1, 1}}, {{"the shot"}, {"the echo"}});
    ASSERT_EQ(table()->model()->index(1, 1).data().toString(), QStringLiteral("No Set-up"));
    EXPECT_EQ(imageOf(table()->model()->index(1, 0)), named("Link"));
    int pickerRuns = 0;
    ModalDialogs::setRunner([&](QDialog& dialog) {
        ++pickerRuns;
        return dialog.result();
    });
    clickCell(table(), 1, 0);
    settle();
    EXPECT_EQ(pickerRuns, 0);
    EXPECT_EQ(stored(QStringLiteral("SELECT ScenePayoffID FROM SceneSetup")), QStringLiteral("1"));
}

// Tab and Shift+Tab leave a free item's text as Return does, storing no tab, and edit the next or
// previous text that takes editing, past partner rows and spacers, with all of its text selected.
// Past the last one the edit ends and the keyboard goes on out of the list, to a field.
TEST_F(SetupPayoffLists, TabAndShiftTabMoveBetweenTheFreeTextsStoringNoTab)
{
    for (const ListCase& list : kLists) {
        SCOPED_TRACE(list.section);
        openStory(list.section, {{"alpha"}, {"beta"}, {"on a card", 1}}, {{"alpha"}, {"beta"}, {"on a card", 1}});
        QTableView* rows = table();
        const auto rowOf = [rows](const QString& text) {
            for (int row = 0; row < rows->model()->rowCount(); ++row)
                if (rows->model()->index(row, 1).data().toString() == text)
                    return row;
            return -1;
        };
        const int first = std::min(rowOf(QStringLiteral("alpha")), rowOf(QStringLiteral("beta")));
        const int second = std::max(rowOf(QStringLiteral("alpha")), rowOf(QStringLiteral("beta")));
        ASSERT_GE(first, 0);
        ASSERT_GT(second, first + 1) << "a partner row lies between";
        const QString secondText = rows->model()->index(second, 1).data().toString();
        const QString column = list.section == 3 ? QStringLiteral("SceneSetup") : QStringLiteral("ScenePayoff");
        const QString texts = QStringLiteral("SELECT group_concat(%1, '|') FROM (SELECT %1 FROM %2 ORDER BY %1)")
                                  .arg(column, QLatin1String(list.table));
        clickCell(rows, first, 1);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral(" one"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        settle();
        auto* editor = qobject_cast<QPlainTextEdit*>(QApplication::focusWidget());
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(editor->objectName(), "itemEditor");
        EXPECT_EQ(rows->currentIndex().row(), second);
        EXPECT_EQ(editor->textCursor().selectedText(), secondText);
        QTest::keyClicks(editor, QStringLiteral("second"));
        QTest::keyClick(editor, Qt::Key_Backtab, Qt::ShiftModifier);
        settle();
        EXPECT_EQ(rows->currentIndex().row(), first);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("first"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        settle();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        settle();
        QWidget* after = QApplication::focusWidget();
        EXPECT_TRUE(after && after != rows && !rows->isAncestorOf(after)) << "no text follows the last one";
        EXPECT_TRUE(qobject_cast<QLineEdit*>(after) || qobject_cast<QPlainTextEdit*>(after)
                    || qobject_cast<QTextEdit*>(after))
            << (after ? after->metaObject()->className() : "nothing");
        EXPECT_EQ(rows->findChild<QPlainTextEdit*>(QStringLiteral("itemEditor")), nullptr);
        EXPECT_EQ(stored(texts), QStringLiteral("first|on a card|second"));
        closeWindow();
    }
}
