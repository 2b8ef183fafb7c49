// The document's side of the set-ups and pay-offs: their add and delete commands, and the
// large card following their changes.
#include "app/MyDocument.h"

#include "ItemSides.h"
#include "SetupPayoffSides.h"
#include "SetupPayoffTableView.h"
#include "app/AppActions.h"
#include "app/AppController.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "platform/Platform.h"
#include "scene_editor/BigSceneView.h"

#include <QTableView>

SetupsTableView* SetupSide::table(const MyDocument& document)
{
    return document.setupsTableView();
}

PayoffsTableView* PayoffSide::table(const MyDocument& document)
{
    return document.payoffsTableView();
}

void MyDocument::refreshBigSceneSetupsAndPayoffs(bool indicators)
{
    if (!bigSceneView_ || !currentScreenplay_ || currentScreenplay_->bigSceneView() != 1)
        return;
    if (indicators)
        bigSceneView_->configureIndicators();
    bigSceneView_->refreshLinkTabs(nullptr);
}

template <typename Side>
void MyDocument::addSetupOrPayoff()
{
    Screenplaydb& story = *currentScreenplay_;
    // The command may come from the menu while another section shows.
    if (story.beatSectionShowing() != Side::kSection)
        setBeatSection(Side::kSection);
    const typename Side::Item* added = &Side::add(story);
    refreshBigSceneSetupsAndPayoffs(false);
    const auto& items = Side::items(story);
    typename Side::Table* table = Side::table(*this);
    if (!table)
        return;
    table->refreshView();
    showDeleteCommand(Side::kSection, true);
    // The writer types the new item's text at once.
    table->editNewItem(static_cast<std::size_t>(positionOf(items, added)));
}

template <typename Side>
void MyDocument::deleteSetupOrPayoff()
{
    typename Side::Table* table = Side::table(*this);
    const std::int64_t position = table ? table->selectedPosition() : -1;
    if (position < 0)
        return;
    Screenplaydb& story = *currentScreenplay_;
    auto& items = Side::items(story);
    typename Side::Item* item = items[static_cast<std::size_t>(position)].get();
    const int selectedRow = table->tvTable()->currentIndex().row();
    table->tvTable()->clearSelection();
    AlertRequest question;
    question.title = QString::fromLatin1(Side::kDeleteTitle);
    question.message = QString::fromLatin1(Side::kDeleteQuestion).arg(Side::text(*item));
    question.defaultButton = QStringLiteral("No");
    question.alternateButton = QStringLiteral("Yes");
    if (Platform::alerts().runAlert(question) == AlertAlternateReturn) {
        SetupPayoffLinks::Cards cards;
        try {
            cards = Side::remove(story, *item);
        } catch (...) {
            // Nothing was deleted: the row shows selected as before.
            table->tvTable()->selectRow(selectedRow);
            throw;
        }
        for (const std::int64_t card : cards)
            if (SceneCarddb* shown = story.sceneCardForSceneCardID(card))
                refreshSceneCardIndicators(shown);
    }
    table->refreshView();
    showDeleteCommand(Side::kSection, !items.empty());
    refreshBigSceneSetupsAndPayoffs(false);
}

template void MyDocument::addSetupOrPayoff<SetupSide>();
template void MyDocument::addSetupOrPayoff<PayoffSide>();
template void MyDocument::deleteSetupOrPayoff<SetupSide>();
template void MyDocument::deleteSetupOrPayoff<PayoffSide>();
