#include "CardColorSelector.h"

#include "app/GuardedCall.h"
#include "app/MyDocument.h"
#include "panes/ModalDialogs.h"

#include <QGridLayout>
#include <QPushButton>

namespace {

constexpr int kPaletteSize = 10;
constexpr int kButtonSize = 40;
const char kTagProperty[] = "tag";

} // namespace

CardColorSelector::CardColorSelector(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CardColorSelector"));
    setWindowTitle(tr("Select Color"));
    auto* layout = new QGridLayout(this);
    for (int colorID = 1; colorID <= kPaletteSize; ++colorID) {
        auto* button = new QPushButton(this);
        button->setObjectName(QStringLiteral("cmdColor%1").arg(colorID));
        button->setProperty(kTagProperty, colorID);
        button->setAutoDefault(false);
        button->setFixedSize(kButtonSize, kButtonSize);
        button->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; border: 1px solid gray; }")
                                  .arg(MyDocument::cardColorForColorID(colorID).name()));
        connect(button, &QPushButton::clicked, this,
                [this, button] { guardedCall([this, button] { colorSelected(button); }); });
        layout->addWidget(button, (colorID - 1) / 5, (colorID - 1) % 5);
    }
    windowDidLoad();
}

void CardColorSelector::colorSelected(QObject* sender)
{
    selectedColor_ = sender ? sender->property(kTagProperty).toLongLong() : 0;
    done(QDialog::Accepted);
}

QPushButton* CardColorSelector::colorButton(std::int64_t colorID) const
{
    for (QPushButton* button : findChildren<QPushButton*>())
        if (button->property(kTagProperty).toLongLong() == colorID)
            return button;
    return nullptr;
}

void CardColorSelector::runModal()
{
    ModalDialogs::run(*this);
}
