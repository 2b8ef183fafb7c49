#include "CharacterDetailView.h"

#include "app/GuardedCall.h"
#include "app/MyDocument.h"
#include "app/SmallViews.h"
#include "model/StoredRange.h"
#include "TrackingTableView.h"
#include "platform/TypingPause.h"

#include <QAbstractTableModel>
#include <QBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTableView>

#include <algorithm>

namespace {

constexpr int kSixThingsRows = 18;
constexpr int kLeastSixThingsRowHeight = 20;
constexpr int kSixThingsHeight = 240;
constexpr float kWidthTakenByPanel = 56.0f;

bool isNumberRow(int row)
{
    return row % 3 == 0;
}

// A row takes no typing until its cell is edited: a double click, a click on the selected row,
// or Return, which opens the current cell.
class SixThingsTable : public QTableView
{
protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (enter && state() != EditingState && edit(currentIndex(), EditKeyPressed, event))
            return;
        QTableView::keyPressEvent(event);
    }
};

} // namespace

// The six things that need fixing, three rows a thing, read from the character on demand.
class SixThingsModel : public QAbstractTableModel
{
public:
    SixThingsModel(CharacterDetailView& panel, MyDocument& document) : panel_(panel), document_(document) {}

    void reload()
    {
        beginResetModel();
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() || !panel_.character() ? 0 : kSixThingsRows;
    }

    int columnCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : 1; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        const int row = index.row();
        const bool number = isNumberRow(row);
        switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            if (number)
                return QString::number(row / 3 + 1);
            return panel_.character()->valueForKey(CharacterDetailView::keyForSixThingsRow(row)).value_or(QString());
        case Qt::FontRole:
            return standardFont(StoredRange::fontSetting(panel_.screenplay()->standardFontSetting()) + 11, number);
        case Qt::BackgroundRole:
            return number ? document_.standardBackgroundColor() : QColor(Qt::white);
        case Qt::ForegroundRole:
            return number ? QColor(Qt::white) : QColor(Qt::black);
        case Qt::TextAlignmentRole:
            return static_cast<int>((number ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter);
        default:
            return QVariant();
        }
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        if (isNumberRow(index.row()))
            return Qt::ItemIsEnabled;
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (isNumberRow(index.row()))
            return false;
        // Text still being typed is stored as it stands; the row fits it when the edit ends.
        if (role == TextCellDelegate::kTypedTextRole)
            return guardedCall([&] { panel_.storeSixThing(index.row(), value.toString()); });
        if (role != Qt::EditRole)
            return false;
        const bool stored = guardedCall([&] { panel_.setSixThing(index.row(), value.toString()); });
        if (stored)
            emit dataChanged(index, index);
        return stored;
    }

private:
    CharacterDetailView& panel_;
    MyDocument& document_;
};

CharacterDetailView::CharacterDetailView(MyDocument* parent, Screenplaydb* screenplay)
    : ItemDetailView(QStringLiteral("CharacterDetailView"), parent, screenplay)
{
    startLayout(tr("Name"), "tfName", "lblName");
    auto* details = new QHBoxLayout;
    auto* age = new QLabel(tr("Age"));
    age->setObjectName(QStringLiteral("lblAge"));
    captions_.push_back(age);
    tfAge_ = new QLineEdit;
    tfAge_->setObjectName(QStringLiteral("tfAge"));
    fields_.push_back(tfAge_);
    optMale_ = new QRadioButton(tr("Male"));
    optMale_->setObjectName(QStringLiteral("optMale"));
    optFemale_ = new QRadioButton(tr("Female"));
    optFemale_->setObjectName(QStringLiteral("optFemale"));
    for (QRadioButton* option : {optMale_, optFemale_}) {
        // Neither may be on (a gender not given), so the pair is not left to Qt's exclusivity.
        option->setAutoExclusive(false);
        QPalette palette = option->palette();
        palette.setColor(QPalette::WindowText, Qt::white);
        option->setPalette(palette);
    }
    details->addWidget(age);
    details->addWidget(tfAge_, 1);
    details->addWidget(optMale_);
    details->addWidget(optFemale_);
    headerColumn()->addLayout(details);
    headerColumn()->addStretch(1);
    const auto storeAge = [this] {
        guardedCall([this] {
            if (!character())
                return;
            character()->setAge(tfAge_->text());
            character()->save();
        });
    };
    connect(tfAge_, &QLineEdit::editingFinished, this, [storeAge, this] {
        TypingPause::endEditOf(tfAge_);
        storeAge();
    });
    TypingPause::watch(tfAge_, this, storeAge);
    connect(optMale_, &QRadioButton::clicked, this, [this] { guardedCall([this] { setGender(QStringLiteral("M")); }); });
    connect(optFemale_, &QRadioButton::clicked, this,
            [this] { guardedCall([this] { setGender(QStringLiteral("F")); }); });

    txtDescription_ = addTextView(tr("Description"), "lblDescription", "txtDescription",
                                  [this](const QString& text) { character()->setDescription(text); });
    txtWants_ = addTextView(tr("Wants"), "lblWants", "txtWants",
                            [this](const QString& text) { character()->setWants(text); });
    txtNeeds_ = addTextView(tr("Needs"), "lblNeeds", "txtNeeds",
                            [this](const QString& text) { character()->setNeeds(text); });
    txtNotes_ = addTextView(tr("Notes"), "lblNotes", "txtNotes",
                            [this](const QString& text) { character()->setNotes(text); });

    addCaption(tr("Six Things That Need Fixing"), "lblSixThings");
    tvSixThings_ = new SixThingsTable;
    tvSixThings_->setObjectName(QStringLiteral("tvSixThings"));
    sixThings_ = new SixThingsModel(*this, *parent);
    sixThings_->setParent(tvSixThings_);
    tvSixThings_->setModel(sixThings_);
    tvSixThings_->setItemDelegate(new LineCellDelegate(tvSixThings_));
    tvSixThings_->setFixedHeight(kSixThingsHeight);
    tvSixThings_->setShowGrid(false);
    tvSixThings_->setWordWrap(true);
    tvSixThings_->setTabKeyNavigation(false);
    tvSixThings_->setSelectionMode(QAbstractItemView::SingleSelection);
    tvSixThings_->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::DoubleClicked
                                  | QAbstractItemView::EditKeyPressed);
    tvSixThings_->horizontalHeader()->hide();
    tvSixThings_->verticalHeader()->hide();
    tvSixThings_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    tvSixThings_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    body()->addWidget(tvSixThings_);

    finishLayout("cmdCharacterPrevious", "cmdCharacterNext", "cmdCloseCharacter");
}

CharacterDetailView::~CharacterDetailView() = default;

void CharacterDetailView::setCharacter(Characterdb* character)
{
    setItem(character);
    if (character)
        tfName()->setFocus();
}

QString CharacterDetailView::keyForSixThingsRow(int row)
{
    if (row < 0 || row >= kSixThingsRows || isNumberRow(row))
        return QString();
    const int thing = row / 3 + 1;
    return row % 3 == 1 ? QStringLiteral("needsFixing%1").arg(thing) : QStringLiteral("needsFixing%1Notes").arg(thing);
}

void CharacterDetailView::storeSixThing(int row, const QString& value)
{
    const QString key = keyForSixThingsRow(row);
    if (key.isEmpty() || !character())
        return;
    character()->setValueForKey(key, value);
    character()->save();
}

void CharacterDetailView::setSixThing(int row, const QString& value)
{
    storeSixThing(row, value);
    if (!keyForSixThingsRow(row).isEmpty() && character())
        tvSixThings_->setRowHeight(row, sixThingsRowHeight(row));
}

void CharacterDetailView::setGender(const QString& gender)
{
    if (!character())
        return;
    character()->setGender(gender);
    character()->save();
    optMale_->setChecked(gender == QLatin1String("M"));
    optFemale_->setChecked(gender == QLatin1String("F"));
}

void CharacterDetailView::fillFields()
{
    const Characterdb& shown = *character();
    tfAge_->setText(shown.age());
    tfAge_->setModified(false);
    optMale_->setChecked(shown.gender() == QLatin1String("M"));
    optFemale_->setChecked(shown.gender() == QLatin1String("F"));
    txtDescription_->setPlainText(shown.description());
    txtWants_->setPlainText(shown.wants());
    txtNeeds_->setPlainText(shown.needs());
    txtNotes_->setPlainText(shown.notes());
    sixThings_->reload();
    for (int row = 0; row < kSixThingsRows; ++row)
        tvSixThings_->setRowHeight(row, sixThingsRowHeight(row));
}

void CharacterDetailView::setOwnFonts(const QFont& caption, const QFont& field)
{
    optMale_->setFont(caption);
    optFemale_->setFont(caption);
    tvSixThings_->setFont(field);
}

int CharacterDetailView::sixThingsRowHeight(int row) const
{
    const MainSplitView* beats = myParent()->splBeats();
    const float width = static_cast<float>(beats ? beats->paneSize(0).width() : view()->width()) - kWidthTakenByPanel;
    const QModelIndex index = sixThings_->index(row, 0);
    const QString text = isNumberRow(row) ? QStringLiteral("Text") : index.data().toString();
    const float height = heightForString(text, index.data(Qt::FontRole).value<QFont>(), width);
    return std::max(kLeastSixThingsRowHeight, static_cast<int>(height));
}
