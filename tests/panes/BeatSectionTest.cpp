#include "PanesFixture.h"

#include "app/AppActions.h"
#include "app/MyDocument.h"
#include "app/SmallViews.h"
#include "app/StoryWindow.h"
#include "model/Screenplaydb.h"
#include "panes/BeatsTableView.h"

#include <QAction>
#include <QLabel>
#include <QTest>

namespace {

struct Section {
    const char* list;
    const char* addImage;
    const char* addToolTip;
    const char* deleteImage;
    const char* deleteToolTip;
};

const Section kSections[] = {
    {"BeatsTableView", "", "", "", ""},
    {"CharactersTableView", "AddACharacter", "Add a Character", "DeleteACharacter", "Delete this Character"},
    {"LocationsTableView", "AddALocation", "Add a Location", "DeleteALocation", "Delete this Location"},
    {"SetupsTableView", "AddASetup", "Add a Set-up", "DeleteASetup", "Delete the Selected Set-up"},
    {"PayoffsTableView", "AddAPayoff", "Add a Pay-off", "DeleteAPayoff", "Delete the Selected Pay-off"},
};

} // namespace

class BeatSection : public PanesFixture
{
protected:
    // A story laid out before in a window wide enough for the section's add and delete
    // commands (they show only in a story-elements pane 300 wide or more).
    QString wideStory(const QString& name, const QString& assignments = QString())
    {
        QString layout = QStringLiteral(
            "WindowState = 101111, ParentWindowWidth = 1400, ParentWindowHeight = 900, LogLineSplitterDistance = 13, "
            "BeatsSplitterDistance = 35, GeneralNotesSplitterDistance = 80, BoardSplitterDistance = 80");
        if (!assignments.isEmpty())
            layout += QStringLiteral(", ") + assignments;
        return story(name, layout);
    }

    std::array<QLabel*, 5> labels() const
    {
        return {document_->optSelectBeats(), document_->optSelectCharacters(), document_->optSelectLocations(),
                document_->optSelectSetups(), document_->optSelectPayoffs()};
    }
    std::array<QAction*, 4> addItems() const
    {
        AppActions& menus = app_->actions();
        return {menus.mnuAddCharacter, menus.mnuAddLocation, menus.mnuAddSetup, menus.mnuAddPayoff};
    }
    std::array<QAction*, 4> deleteItems() const
    {
        AppActions& menus = app_->actions();
        return {menus.mnuDeleteCharacter, menus.mnuDeleteLocation, menus.mnuDeleteSetup, menus.mnuDeletePayoff};
    }
    // The one highlighted label (white, in the document's colour), or -1 when none is.
    int highlighted() const
    {
        int found = -1;
        for (int i = 0; i < 5; ++i) {
            const QPalette palette = labels()[static_cast<std::size_t>(i)]->palette();
            if (palette.color(QPalette::Window) == Qt::white) {
                EXPECT_EQ(found, -1) << "two highlighted labels";
                EXPECT_EQ(palette.color(QPalette::WindowText), document_->standardBackgroundColor());
                found = i;
            } else {
                EXPECT_EQ(palette.color(QPalette::Window), document_->standardBackgroundColor());
            }
        }
        return found;
    }
    // Checks the buttons, menu items, list and label of a section showing.
    void expectSection(int section)
    {
        SCOPED_TRACE(section);
        const Section& expected = kSections[section];
        ASSERT_GE(document_->splBeats()->paneExtent(0), 300);
        StoryWindow* window = document_->window();
        EXPECT_EQ(screenplay().beatSectionShowing(), section);
        EXPECT_EQ(stored("SELECT BeatSectionShowing FROM Screenplay").toInt(), section);
        ASSERT_NE(document_->beatSectionTable(), nullptr);
        EXPECT_EQ(document_->beatSectionTable()->objectName(), expected.list);
        EXPECT_EQ(document_->beatsTableView() != nullptr, section == 0);
        EXPECT_EQ(highlighted(), section);
        const bool addable = section > 0;
        EXPECT_EQ(window->tbAddItem()->isVisible(), addable);
        EXPECT_FALSE(window->tbDeleteItem()->isVisible());
        for (QAction* item : deleteItems())
            EXPECT_FALSE(item->isVisible()) << item->objectName().toStdString();
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(addItems()[static_cast<std::size_t>(i)]->isVisible(), addable && i + 1 == section);
        if (section > 0) {
            EXPECT_EQ(window->tbAddItem()->property("imageName").toString(), expected.addImage);
            EXPECT_EQ(window->tbAddItem()->toolTip(), expected.addToolTip);
            EXPECT_FALSE(window->tbAddItem()->icon().isNull());
            EXPECT_EQ(window->tbDeleteItem()->property("imageName").toString(), expected.deleteImage);
            EXPECT_EQ(window->tbDeleteItem()->toolTip(), expected.deleteToolTip);
        }
    }
};

TEST_F(BeatSection, AStoryReopensOnTheSetupsWithTheirAddButtonOnly)
{
    open(wideStory("Setups", "BeatSectionShowing = 3"));
    expectSection(3);
}

TEST_F(BeatSection, TheBeatSheetHasNeitherAddNorDelete)
{
    open(wideStory("Beats"));
    expectSection(0);
}

TEST_F(BeatSection, ClickingALabelShowsItsSectionAndStoresIt)
{
    open(wideStory("Switching"));
    for (int section : {1, 2, 3, 4, 0, 2}) {
        QTest::mouseClick(labels()[static_cast<std::size_t>(section)], Qt::LeftButton);
        expectSection(section);
    }
    // The story opens again where it was left.
    const QString path = document_->thisFileName();
    document_->window()->close();
    settle();
    open(path);
    expectSection(2);
}

TEST_F(BeatSection, ChoosingTheSectionShowingRebuildsNothing)
{
    open(wideStory("Same"));
    BeatsTableView* beats = document_->beatsTableView();
    QWidget* view = document_->beatSectionTable();
    QTest::mouseClick(document_->optSelectBeats(), Qt::LeftButton);
    EXPECT_EQ(document_->beatsTableView(), beats);
    EXPECT_EQ(document_->beatSectionTable(), view);
}

TEST_F(BeatSection, ASectionOutsideTheRangeShowsNothing)
{
    open(wideStory("Nowhere", "BeatSectionShowing = 7"));
    EXPECT_EQ(document_->beatSectionTable(), nullptr);
    EXPECT_EQ(document_->beatsTableView(), nullptr);
    EXPECT_EQ(highlighted(), -1);
    EXPECT_FALSE(document_->window()->tbAddItem()->isVisible());
    for (QAction* item : addItems())
        EXPECT_FALSE(item->isVisible());
}
