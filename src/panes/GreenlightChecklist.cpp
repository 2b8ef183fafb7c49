#include "GreenlightChecklist.h"

#include "app/GuardedCall.h"
#include "board/BoardImages.h"
#include "model/GreenlightChecklistQuestiondb.h"
#include "model/GreenlightChecklistTexts.h"
#include "model/NoteMovement.h"
#include "model/Screenplaydb.h"

#include <QFont>
#include <QFrame>
#include <QMouseEvent>

#include <memory>
#include <vector>

namespace {

const QString kCheckMark = QStringLiteral("BlackCheckMark");

constexpr int kMargin = 16;
constexpr int kMarkSide = 18;
// Questions are indented past their marks.
constexpr int kQuestionLeft = kMargin + kMarkSide + 12;
constexpr int kTop = 64;
constexpr int kBottomMargin = 14;

QFont panelFont(int pointSize, bool bold)
{
    QFont font(QStringLiteral("DejaVu Sans"), pointSize);
    font.setBold(bold);
    return font;
}

QLabel* addLabel(QWidget* panel, const QString& text, const QFont& font, int left, Qt::Alignment alignment)
{
    auto* label = new QLabel(text, panel);
    label->setFont(font);
    label->setWordWrap(true);
    label->setAlignment(alignment);
    label->setFixedWidth(GreenlightChecklist::kWidth - left - kMargin);
    label->setFixedHeight(label->heightForWidth(label->width()));
    label->move(left, 0);
    return label;
}

// One line of the panel as it is stacked: a title, or a question with its mark.
struct PanelRow {
    QLabel* label;
    GreenlightCheckmark* mark;
    // Rows that open an act stand further from the row above.
    int weight;
};

} // namespace

GreenlightCheckmark::GreenlightCheckmark(std::int64_t tag, QWidget* parent)
    : QLabel(parent)
    , tag_(tag)
{
    setObjectName(QStringLiteral("greenlightCheckmark%1").arg(tag));
    setProperty("tag", QVariant::fromValue(tag));
    setFixedSize(kMarkSide, kMarkSide);
    setFrameShape(QFrame::Box);
    setScaledContents(true);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::white);
    colours.setColor(QPalette::WindowText, QColor(0x40, 0x40, 0x40));
    setPalette(colours);
    setFocusPolicy(Qt::ClickFocus);
    setToolTip(greenlightQuestion(tag));
}

void GreenlightCheckmark::setMyParent(GreenlightChecklist* parent)
{
    myParent_ = parent;
    if (myParent_ && myParent_->screenplay())
        showTicked(myParent_->screenplay()->answerForGreenlightQuestion(tag_) == QLatin1String("Y"));
}

void GreenlightCheckmark::showTicked(bool ticked)
{
    imageName_ = ticked ? kCheckMark : QString();
    if (ticked)
        setPixmap(boardImage(kCheckMark));
    else
        setPixmap(QPixmap());
}

void GreenlightCheckmark::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() == Qt::LeftButton && myParent_)
        guardedCall([&] { myParent_->toggleAnswer(*this); });
}

GreenlightChecklist::GreenlightChecklist(MyDocument* parent, Screenplaydb* screenplay, QWidget* generalNotesParent)
    : BaseViewController(QStringLiteral("GreenlightChecklist"), parent, screenplay)
    , myGeneralNotesParent_(generalNotesParent)
{
    buildView();
    imgThumbTack_->setMyGreenlightParent(this);
    for (GreenlightCheckmark* mark : checkmarks_)
        mark->setMyParent(this);
}

GreenlightChecklist::~GreenlightChecklist() = default;

void GreenlightChecklist::buildView()
{
    auto* panel = new QFrame;
    panel->setObjectName(QStringLiteral("GreenlightChecklist"));
    panel->setFixedSize(kWidth, kHeight);
    panel->setFrameShape(QFrame::Box);
    panel->setAutoFillBackground(true);
    QPalette colours = panel->palette();
    colours.setColor(QPalette::Window, QColor(0xFF, 0xFD, 0xF2));
    colours.setColor(QPalette::WindowText, QColor(0x30, 0x30, 0x30));
    panel->setPalette(colours);
    setView(panel);

    imgThumbTack_ = new ImageViewResponder(panel);
    imgThumbTack_->setObjectName(QStringLiteral("imgThumbTack"));
    imgThumbTack_->setGeometry((kWidth - 24) / 2, 6, 24, 24);
    imgThumbTack_->setImageNamed(QStringLiteral("BlueThumbDown"));
    imgThumbTack_->attachTrackingArea();

    QLabel* heading = addLabel(panel, tr("Greenlight Checklist"), panelFont(14, true), kMargin, Qt::AlignHCenter);
    heading->setObjectName(QStringLiteral("lblTitle"));
    heading->move(kMargin, 32);

    std::vector<PanelRow> rows;
    for (const GreenlightSection& section : greenlightSections()) {
        const bool act = section.firstQuestion == 0;
        QLabel* title = addLabel(panel, QString::fromUtf8(section.title), panelFont(act ? 12 : 10, true), kMargin,
                                 Qt::AlignLeft);
        rows.push_back({title, nullptr, act ? 3 : 2});
        for (std::int64_t number = section.firstQuestion; number >= 1 && number <= section.lastQuestion; ++number) {
            auto* mark = new GreenlightCheckmark(number, panel);
            checkmarks_[std::size_t(number - 1)] = mark;
            QLabel* question =
                addLabel(panel, greenlightQuestion(number), panelFont(9, false), kQuestionLeft, Qt::AlignLeft);
            question->setObjectName(QStringLiteral("lblQuestion%1").arg(number));
            rows.push_back({question, mark, 1});
        }
    }

    // The rows share out the panel's height that their text leaves free, so the questions
    // fill the room the board keeps for the panel.
    int natural = 0;
    int weights = 0;
    for (const PanelRow& row : rows) {
        natural += row.label->height();
        weights += row.weight;
    }
    const int spare = std::max(0, kHeight - kTop - kBottomMargin - natural);
    int y = kTop;
    for (const PanelRow& row : rows) {
        if (&row != &rows.front())
            y += spare * row.weight / weights;
        row.label->move(row.label->x(), y);
        if (row.mark)
            row.mark->move(kMargin, y + (row.label->fontMetrics().height() - kMarkSide) / 2);
        y += row.label->height();
    }
}

GreenlightCheckmark* GreenlightChecklist::checkmark(std::int64_t tag) const
{
    return tag >= 1 && tag <= kGreenlightQuestionCount ? checkmarks_[std::size_t(tag - 1)] : nullptr;
}

void GreenlightChecklist::toggleAnswer(GreenlightCheckmark& mark)
{
    Screenplaydb& story = *screenplay();
    const QString yes = QStringLiteral("Y");
    GreenlightChecklistQuestiondb* question = story.greenlightQuestionForQuestionNumber(mark.tag());
    if (!question) {
        // A story that lost the record gets it back, answered as the click asks.
        auto created = std::make_unique<GreenlightChecklistQuestiondb>();
        created->setScreenplayID(story.screenplayID());
        created->setQuestionNumber(mark.tag());
        created->setAnswer(yes);
        created->insertIntoDatabase(&story);
        story.greenlightChecklistQuestions().push_back(std::move(created));
        mark.showTicked(true);
        return;
    }
    const QString before = question->answer();
    const bool tick = before != yes;
    question->setAnswer(tick ? yes : QStringLiteral("N"));
    try {
        question->save();
    } catch (...) {
        question->setAnswer(before);
        throw;
    }
    mark.showTicked(tick);
}

void GreenlightChecklist::mouseDown(QMouseEvent* event, ImageViewResponder* view)
{
    if (view != imgThumbTack_ || event->type() == QEvent::MouseButtonDblClick)
        return;
    QWidget* panel = this->view();
    panel->raise();
    imgThumbTack_->setImageNamed(QStringLiteral("BlueThumbUp"));
    moving_ = true;
    pMouseDownPoint_ = event->position();
    origin_ = QPointF(panel->pos());
    originalLocation_ = QRectF(origin_, QSizeF(panel->size()));
}

void GreenlightChecklist::mouseDragged(QMouseEvent* event, ImageViewResponder* view)
{
    if (view != imgThumbTack_ || !moving_)
        return;
    // The tack moves with the panel, so the pointer's place in the tack is this step.
    QWidget* panel = this->view();
    const QSizeF board = myGeneralNotesParent_ ? QSizeF(myGeneralNotesParent_->size()) : QSizeF(panel->size());
    origin_ = noteOriginAfterStep(QRectF(origin_, QSizeF(panel->size())), event->position() - pMouseDownPoint_, board);
    panel->move(static_cast<int>(origin_.x()), static_cast<int>(origin_.y()));
}

void GreenlightChecklist::mouseUp(QMouseEvent*, ImageViewResponder* view)
{
    if (view != imgThumbTack_ || !moving_)
        return;
    moving_ = false;
    imgThumbTack_->setImageNamed(QStringLiteral("BlueThumbDown"));
    Screenplaydb& story = *screenplay();
    // A board without a stored size keeps the fractions it had rather than dividing by 0.
    if (story.generalNotesHeight() > 0)
        story.setGreenlightChecklistPercentageVertical(
            static_cast<float>(origin_.y()) / static_cast<float>(story.generalNotesHeight()));
    if (story.generalNotesWidth() > 0)
        story.setGreenlightChecklistPercentageHorizontal(
            static_cast<float>(origin_.x()) / static_cast<float>(story.generalNotesWidth()));
    story.save();
}
