#pragma once

#include "AttachmentLinks.h"
#include "ItemSides.h"
#include "app/BaseViewController.h"

#include <QByteArray>
#include <QTableView>

#include <cstdint>
#include <functional>
#include <memory>

class AttachmentLink;
class AttachmentsModel;
class QBoxLayout;
class QLabel;
class QLineEdit;
class QMimeData;
class QPlainTextEdit;
class QPushButton;
class QVBoxLayout;

// The attachment table of a detail panel: the forward-delete key deletes the selected link.
class TableViewResponder : public QTableView
{
public:
    TableViewResponder(std::function<void()> deleteSelected, QWidget* parent = nullptr);

    // Set by the panel that owns the table, which then takes drags and drops.
    std::function<bool(const QMimeData*)> acceptsDrop;
    std::function<bool(const QMimeData*, int row)> acceptDrop;
    std::function<std::unique_ptr<QMimeData>(int row)> dragData;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    std::function<void()> deleteSelected_;
};

// What the character and the location panels share: the item's picture and name, its
// attachment links in a table of two rows a link (the thumbnail and title, then the primary
// mark and the link's own description), the buttons that page to the neighbouring items and
// close the panel, and the drag of the whole panel onto scene cards. The document hosts the
// panel in a scroll view of the story-elements pane and gives it one item after another.
// Every edit is stored in the record and saved at once.
class DetailPanel : public BaseViewController
{
public:
    ~DetailPanel() override;

    QLabel* imgImage() const { return imgImage_; }
    QTableView* tvAttachments() const { return tvAttachments_; }
    QPushButton* previousButton() const { return cmdPrevious_; }
    QPushButton* nextButton() const { return cmdNext_; }
    QPushButton* closeButton() const { return cmdClose_; }

    // Shows the stored values, the picture, the attachments and the buttons that apply.
    void refreshView();
    // Gives every caption the bold font and every field the plain one, of the story's size.
    void setFonts();

    // Deletes the link of the selected attachment row (either row of its pair).
    void deleteSelectedAttachedObject();
    // A click in the picture column of the attachment table: a thumbnail opens the attachment
    // in its own application, a "MakePrimary" mark makes its link primary. Answers whether the
    // click goes on to the table.
    bool shouldTrackCell(const QModelIndex& index);
    // Stores a link's edited description (odd rows only); `fitRow` fits the row to it (the end of
    // the edit), otherwise it is stored as it is being typed.
    void setLinkDescription(int row, const QString& text, bool fitRow = true);
    std::unique_ptr<QMimeData> attachmentDragData(int row) const;
    bool acceptsAttachmentDrop(const QMimeData* data) const;
    bool acceptAttachmentDrop(const QMimeData* data);
    // The drag of the whole panel: the item's first row in its list, from this story.
    std::unique_ptr<QMimeData> itemDragData() const;
    void startItemDrag(QWidget* source, const QPoint& at);

    // Links of the item shown; nothing without an item.
    virtual std::size_t linkCount() const = 0;
    virtual AttachmentLink* linkAt(std::size_t index) const = 0;

protected:
    DetailPanel(const QString& nibName, MyDocument* parent, Screenplaydb* screenplay);

    // Builds the common parts into the root view: the picture with the name field beside it
    // (and `besideName`'s widgets under it), then the panel's own fields added through the
    // helpers below, then the attachments and the buttons once `finishLayout` runs.
    void startLayout(const QString& nameCaption, const char* nameField, const char* nameLabel);
    QBoxLayout* headerColumn() const { return headerColumn_; }
    QVBoxLayout* body() const { return body_; }
    QLabel* addCaption(const QString& text, const char* name);
    QPlainTextEdit* addTextView(const QString& caption, const char* labelName, const char* viewName,
                                std::function<void(const QString&)> store);
    void finishLayout(const char* previousName, const char* nextName, const char* closeName);
    QLineEdit* nameField() const { return nameField_; }

    virtual bool hasItem() const = 0;
    virtual QByteArray picture() const = 0;
    // The item's position in its list and the list's length.
    virtual std::int64_t position() const = 0;
    virtual std::size_t itemCount() const = 0;
    virtual void showItemAt(std::size_t position) = 0;
    virtual void closeDetails() = 0;
    virtual QString itemDragType() const = 0;
    virtual QString linkDragType() const = 0;
    virtual AttachmentLinks::LinkResult addLink(std::int64_t attachedObjectID) = 0;
    virtual void removeLink(std::size_t index) = 0;
    virtual void makeLinkPrimary(std::size_t index) = 0;
    virtual void saveItem() = 0;
    // The panel's own fields take the stored values.
    virtual void fillFields() = 0;
    virtual void storeName(const QString& name) = 0;
    virtual QString storedName() const = 0;
    // The panel's own fonts, after the common ones.
    virtual void setOwnFonts(const QFont& caption, const QFont& field) { (void)caption, (void)field; }

    std::vector<QLabel*> captions_;
    std::vector<QWidget*> fields_;

private:
    void pageBy(int step);
    // Ends the edit in progress in the panel, so the field being typed in is stored.
    void endEditing();
    int attachmentRowHeight(int row) const;

    QLabel* imgImage_ = nullptr;
    QLineEdit* nameField_ = nullptr;
    QBoxLayout* headerColumn_ = nullptr;
    QVBoxLayout* body_ = nullptr;
    TableViewResponder* tvAttachments_ = nullptr;
    AttachmentsModel* attachmentsModel_ = nullptr;
    QPushButton* cmdPrevious_ = nullptr;
    QPushButton* cmdNext_ = nullptr;
    QPushButton* cmdClose_ = nullptr;
};

// The panel over one kind of item (Side: CharacterSide or LocationSide, ItemSides.h).
template <typename Side>
class ItemDetailView : public DetailPanel
{
public:
    using Item = typename Side::Item;

    std::size_t linkCount() const override;
    AttachmentLink* linkAt(std::size_t index) const override;

protected:
    using DetailPanel::DetailPanel;

    Item* item() const { return item_; }
    void setItem(Item* item);

    bool hasItem() const override { return item_ != nullptr; }
    QByteArray picture() const override;
    std::int64_t position() const override;
    std::size_t itemCount() const override;
    void showItemAt(std::size_t position) override;
    void closeDetails() override;
    QString itemDragType() const override;
    QString linkDragType() const override;
    AttachmentLinks::LinkResult addLink(std::int64_t attachedObjectID) override;
    void removeLink(std::size_t index) override;
    void makeLinkPrimary(std::size_t index) override;
    void saveItem() override;
    void storeName(const QString& name) override;
    QString storedName() const override;

private:
    Item* item_ = nullptr;
};

template <>
void ItemDetailView<CharacterSide>::showItemAt(std::size_t position);
template <>
void ItemDetailView<LocationSide>::showItemAt(std::size_t position);
template <>
void ItemDetailView<CharacterSide>::closeDetails();
template <>
void ItemDetailView<LocationSide>::closeDetails();

extern template class ItemDetailView<CharacterSide>;
extern template class ItemDetailView<LocationSide>;
