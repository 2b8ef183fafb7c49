#include "LocationDetailView.h"

#include <QLineEdit>
#include <QPlainTextEdit>

LocationDetailView::LocationDetailView(MyDocument* parent, Screenplaydb* screenplay)
    : ItemDetailView(QStringLiteral("LocationDetailView"), parent, screenplay)
{
    startLayout(tr("Location"), "tfLocation", "lblLocation");
    txtDescription_ = addTextView(tr("Description"), "lblDescription", "txtDescription",
                                  [this](const QString& text) { item()->setDescription(text); });
    txtNotes_ = addTextView(tr("Notes"), "lblNotes", "txtNotes", [this](const QString& text) { item()->setNotes(text); });
    finishLayout("cmdPreviousLocation", "cmdNextLocation", "cmdCloseLocation");
}

LocationDetailView::~LocationDetailView() = default;

void LocationDetailView::setLocation(SceneLocationdb* location)
{
    setItem(location);
}

void LocationDetailView::fillFields()
{
    txtDescription_->setPlainText(item()->description());
    txtNotes_->setPlainText(item()->notes());
}
