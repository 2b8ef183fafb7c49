#pragma once

#include "BigSceneLinkedItemsView.h"

// The Characters tab (tab 4) of the large scene card. Columns: 0 "included", 1 the character's
// picture, 2 the character's name, 3 the character's description in this scene (a ticked
// character starts with the character's own description). Ticking or unticking a character
// shows at once in the character indicators of the large card and of the board card.
class BigSceneCharactersView : public BigSceneLinkedItemsView
{
    Q_OBJECT

public:
    enum Column { Included = 0, Image = 1, Character = 2, Description = 3 };

    BigSceneCharactersView(MyDocument* parent, Screenplaydb* screenplay, SceneCarddb* scene);

protected:
    std::vector<Row> linkedRows() const override;
    std::vector<Row> otherRows(const std::vector<std::int64_t>& linkedItems) const override;
    QVariant cellData(const Row& row, int column, int role) const override;
    QString columnTitle(int column) const override;
    bool include(const Row& row) override;
    bool exclude(const Row& row) override;
    void storeDescription(const Row& row, const QString& text) override;
    void linksChanged() override;
};

// The Attachments tab (tab 5) of the large scene card. Columns: 0 "included", 1 the thumbnail,
// 2 the primary mark ("PrimaryImage" on the card's primary attachment, "MakePrimary" on its other
// links, none on an unticked row), 3 the title, 4 the attachment's description in this scene
// (empty when ticked; an unticked row shows the attachment's own). The first attachment ticked
// into a scene becomes its primary one; a click on "MakePrimary" moves the mark there.
class BigSceneAttachmentsView : public BigSceneLinkedItemsView
{
    Q_OBJECT

public:
    enum Column { Included = 0, Image = 1, Primary = 2, Title = 3, Description = 4 };

    BigSceneAttachmentsView(MyDocument* parent, Screenplaydb* screenplay, SceneCarddb* scene);

protected:
    std::vector<Row> linkedRows() const override;
    std::vector<Row> otherRows(const std::vector<std::int64_t>& linkedItems) const override;
    QVariant cellData(const Row& row, int column, int role) const override;
    QString columnTitle(int column) const override;
    bool include(const Row& row) override;
    bool exclude(const Row& row) override;
    bool clickedInColumn(const Row& row, int column) override;
    void storeDescription(const Row& row, const QString& text) override;
    void linksChanged() override;
};
