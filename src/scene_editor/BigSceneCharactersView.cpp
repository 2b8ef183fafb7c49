#include "BigSceneCharactersView.h"

#include "BigSceneView.h"
#include "app/MyDocument.h"
#include "board/SceneCardEdits.h"
#include "model/AttachedObjectdb.h"
#include "model/Characterdb.h"
#include "model/SceneCardCharacterdb.h"
#include "model/SceneCardObjectdb.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "panes/PaneImages.h"
#include "panes/TrackingTableView.h"

#include <QPixmap>

#include <algorithm>

namespace {

constexpr int kImageColumnWidth = 56;
constexpr int kPrimaryColumnWidth = 32;
constexpr int kNameColumnWidth = 160;

QPixmap picture(const QByteArray& bytes)
{
    QPixmap pixmap;
    if (bytes.isEmpty() || !pixmap.loadFromData(bytes))
        return QPixmap();
    return pixmap.scaled(kImageColumnWidth - 4, BigSceneLinkedItemsView::kLeastRowHeight - 6, Qt::KeepAspectRatio,
                         Qt::SmoothTransformation);
}

bool taken(const std::vector<std::int64_t>& keys, std::int64_t key)
{
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

template <typename Link, typename Key>
Link* linkFor(RecordList<Link>& links, std::int64_t key, Key keyOf)
{
    const auto found = std::find_if(links.begin(), links.end(), [&](const auto& link) { return (*link.*keyOf)() == key; });
    return found == links.end() ? nullptr : found->get();
}

void refreshCard(MyDocument* document, SceneCarddb* scene, bool indicators)
{
    if (!document)
        return;
    if (BigSceneView* big = document->bigSceneViewController()) {
        if (indicators)
            big->configureIndicators();
        big->updateSmallSceneCard();
    }
    if (indicators && scene)
        document->refreshSceneCardIndicators(scene);
}

} // namespace

// --- Characters --------------------------------------------------------------------------------

BigSceneCharactersView::BigSceneCharactersView(MyDocument* parent, Screenplaydb* screenplay, SceneCarddb* scene)
    : BigSceneLinkedItemsView(QStringLiteral("BigSceneCharactersView"), parent, screenplay, scene, Description,
                              tr("Show all characters"))
{
    finishView({Image}, kImageColumnWidth);
    tvTable()->setColumnWidth(Character, kNameColumnWidth);
    refreshView();
}

std::vector<BigSceneLinkedItemsView::Row> BigSceneCharactersView::linkedRows() const
{
    std::vector<Row> rows;
    Screenplaydb& story = *screenplay();
    for (const auto& link : story.sceneCardCharacters()) {
        if (link->sceneCardID() != sceneCardID())
            continue;
        const Characterdb* character = story.characterForCharacterID(link->characterID());
        rows.push_back({link->sceneCardCharacterID(), link->characterID(),
                        character ? character->characterName() : link->characterName(), link->description()});
    }
    return rows;
}

std::vector<BigSceneLinkedItemsView::Row>
BigSceneCharactersView::otherRows(const std::vector<std::int64_t>& linkedItems) const
{
    std::vector<Row> rows;
    for (const auto& character : screenplay()->characters())
        if (!taken(linkedItems, character->characterID()))
            rows.push_back({0, character->characterID(), character->characterName(), character->description()});
    return rows;
}

QVariant BigSceneCharactersView::cellData(const Row& row, int column, int role) const
{
    const Characterdb* character = screenplay()->characterForCharacterID(row.itemID);
    if (!character)
        return {};
    if (column == Image && role == Qt::DecorationRole)
        return picture(screenplay()->displayImageForCharacter(*character));
    if (column == Character && role == Qt::DisplayRole)
        return character->characterName();
    return {};
}

QString BigSceneCharactersView::columnTitle(int column) const
{
    if (column == Character)
        return tr("Character");
    if (column == Description)
        return tr("In this scene");
    return QString();
}

bool BigSceneCharactersView::include(const Row& row)
{
    const Characterdb* character = screenplay()->characterForCharacterID(row.itemID);
    return character && SceneCardEdits::linkCharacter(*screenplay(), sceneCardID(), *character);
}

bool BigSceneCharactersView::exclude(const Row& row)
{
    Screenplaydb& story = *screenplay();
    SceneCardCharacterdb* link = linkFor(story.sceneCardCharacters(), row.linkID,
                                         &SceneCardCharacterdb::sceneCardCharacterID);
    return link && SceneCardEdits::unlinkCharacter(story, *link);
}

void BigSceneCharactersView::storeDescription(const Row& row, const QString& text)
{
    if (SceneCardCharacterdb* link = linkFor(screenplay()->sceneCardCharacters(), row.linkID,
                                             &SceneCardCharacterdb::sceneCardCharacterID)) {
        link->setDescription(text);
        link->save();
    }
}

void BigSceneCharactersView::linksChanged()
{
    refreshCard(myParent(), scene(), true);
}

// --- Attachments -------------------------------------------------------------------------------

BigSceneAttachmentsView::BigSceneAttachmentsView(MyDocument* parent, Screenplaydb* screenplay, SceneCarddb* scene)
    : BigSceneLinkedItemsView(QStringLiteral("BigSceneAttachmentsView"), parent, screenplay, scene, Description,
                              tr("Show all attachments"))
{
    finishView({Image, Primary}, kImageColumnWidth);
    tvTable()->setColumnWidth(Primary, kPrimaryColumnWidth);
    tvTable()->setColumnWidth(Title, kNameColumnWidth);
    refreshView();
}

std::vector<BigSceneLinkedItemsView::Row> BigSceneAttachmentsView::linkedRows() const
{
    std::vector<Row> rows;
    Screenplaydb& story = *screenplay();
    for (const auto& link : story.sceneCardObjects())
        if (link->sceneCardID() == sceneCardID())
            rows.push_back({link->sceneCardObjectID(), link->attachedObjectID(),
                            story.titleForAttachment(link->attachedObjectID()), link->description()});
    return rows;
}

std::vector<BigSceneLinkedItemsView::Row>
BigSceneAttachmentsView::otherRows(const std::vector<std::int64_t>& linkedItems) const
{
    std::vector<Row> rows;
    for (const auto& attachment : screenplay()->attachedObjects())
        if (!taken(linkedItems, attachment->attachedObjectID()))
            rows.push_back({0, attachment->attachedObjectID(), attachment->title(), attachment->textDescription()});
    return rows;
}

QVariant BigSceneAttachmentsView::cellData(const Row& row, int column, int role) const
{
    Screenplaydb& story = *screenplay();
    const AttachedObjectdb* attachment = story.attachmentForID(row.itemID);
    if (!attachment)
        return {};
    if (column == Image && role == Qt::DecorationRole)
        return picture(attachment->getThumbnail().value_or(QByteArray()));
    if (column == Title && role == Qt::DisplayRole)
        return attachment->title();
    if (column != Primary)
        return {};
    QString mark = QStringLiteral("BlankZorvin");
    if (const SceneCardObjectdb* link = linkFor(story.sceneCardObjects(), row.linkID,
                                                &SceneCardObjectdb::sceneCardObjectID))
        mark = link->primaryDisplayFlag() == 1 ? QStringLiteral("PrimaryImage") : QStringLiteral("MakePrimary");
    if (role == kImageNameRole)
        return mark;
    if (role == Qt::DecorationRole)
        return PaneImages::image(mark);
    if (role == Qt::ToolTipRole && mark == QLatin1String("MakePrimary"))
        return tr("Make this the scene's main attachment");
    return {};
}

QString BigSceneAttachmentsView::columnTitle(int column) const
{
    if (column == Title)
        return tr("Title");
    if (column == Description)
        return tr("In this scene");
    return QString();
}

bool BigSceneAttachmentsView::include(const Row& row)
{
    return SceneCardEdits::linkAttachment(*screenplay(), sceneCardID(), row.itemID);
}

bool BigSceneAttachmentsView::exclude(const Row& row)
{
    Screenplaydb& story = *screenplay();
    SceneCardObjectdb* link = linkFor(story.sceneCardObjects(), row.linkID, &SceneCardObjectdb::sceneCardObjectID);
    return link && SceneCardEdits::unlinkAttachment(story, *link);
}

bool BigSceneAttachmentsView::clickedInColumn(const Row& row, int column)
{
    if (column != Primary)
        return false;
    Screenplaydb& story = *screenplay();
    SceneCardObjectdb* link = linkFor(story.sceneCardObjects(), row.linkID, &SceneCardObjectdb::sceneCardObjectID);
    if (!link)
        return false;
    SceneCardEdits::makePrimaryAttachment(story, *link);
    linksChanged();
    refreshView();
    return true;
}

void BigSceneAttachmentsView::storeDescription(const Row& row, const QString& text)
{
    if (SceneCardObjectdb* link = linkFor(screenplay()->sceneCardObjects(), row.linkID,
                                          &SceneCardObjectdb::sceneCardObjectID)) {
        link->setDescription(text);
        link->save();
    }
}

void BigSceneAttachmentsView::linksChanged()
{
    refreshCard(myParent(), scene(), false);
}
