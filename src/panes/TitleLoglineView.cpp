#include "TitleLoglineView.h"

#include "BeatsTableView.h"
#include "LoglineList.h"
#include "ModalDialogs.h"
#include "PaneImages.h"
#include "app/AdviceWindow.h"
#include "app/AppLog.h"
#include "app/AutoTips.h"
#include "app/GuardedCall.h"
#include "app/MyDocument.h"
#include "app/SmallViews.h"
#include "model/Loglinedb.h"
#include "model/StoryGenres.h"
#include "model/Screenplaydb.h"
#include "model/StoredRange.h"
#include "model/StringUtilities.h"
#include "platform/Platform.h"
#include "platform/TypingPause.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <functional>

namespace {

// Geometry of the pane, in points. Frames of the logline field are given from the bottom
// edge of the pane's view.
constexpr int kLeastHeight = 70;
constexpr int kLoglineLeft = 109;
constexpr int kLoglineBottom = 8;
constexpr int kLoglineWidthTaken = 129;
constexpr int kLoglineWidthTakenWithListButton = 223;
constexpr int kLoglineHeightTaken = 49;
constexpr int kLoglineLowHeight = 21;
constexpr int kCaptionLeft = 10;
constexpr int kCaptionWidth = 93;
constexpr int kRightMargin = 20;
constexpr int kPagesWidth = 60;
constexpr int kPagesCaptionWidth = 55;
constexpr int kHelpSize = 24;
constexpr int kGenreWidth = 200;
constexpr int kGenreCaptionWidth = 60;
constexpr int kGap = 6;
constexpr int kLeastTitleWidth = 80;
constexpr int kListButtonWidth = 90;
constexpr int kListButtonHeight = 26;
constexpr std::int64_t kLeastPages = 4;
constexpr std::int64_t kMostPages = 1000;

// The logline field: a wrapping text box whose edit ends when it loses the focus after a
// change, or at once with Return (which adds no line).
class LoglineField : public QPlainTextEdit
{
public:
    std::function<void()> editingFinished;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            finish();
            return;
        }
        QPlainTextEdit::keyPressEvent(event);
    }

    void focusOutEvent(QFocusEvent* event) override
    {
        QPlainTextEdit::focusOutEvent(event);
        if (document()->isModified())
            finish();
    }

private:
    void finish()
    {
        document()->setModified(false);
        if (editingFinished)
            editingFinished();
    }
};

// The genre box: a text field with the list of genres, reached by Tab like any field. Only a
// genre chosen in its opened list (clicked, or picked with the arrows and Return) becomes the
// story's genre. Up and Down open the list rather than take the neighbouring genre at once; what
// is typed into the field is never stored, and when its edit ends (Return, Escape or leaving the
// field) it shows the stored genre again, as does any other change that was not chosen.
class GenreBox : public QComboBox
{
public:
    std::function<void()> chosen;
    std::function<QString()> storedGenre;

    explicit GenreBox(QWidget* parent) : QComboBox(parent)
    {
        setEditable(true);
        setInsertPolicy(QComboBox::NoInsert);
        setCompleter(nullptr);
        connect(this, &QComboBox::activated, this, [this] {
            const bool fromList = listOpened_;
            listOpened_ = false;
            if (fromList && chosen)
                chosen();
            else
                showStoredGenre();
        });
    }

    void showStoredGenre()
    {
        const QString genre = storedGenre ? storedGenre() : QString();
        setCurrentIndex(findText(genre));
        setEditText(genre);
    }

    void showPopup() override
    {
        listOpened_ = true;
        QComboBox::showPopup();
    }

    void hidePopup() override
    {
        QComboBox::hidePopup();
        // The list's own choice arrives right after it closes; nothing later comes from it.
        QTimer::singleShot(0, this, [this] { listOpened_ = false; });
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        listOpened_ = false;
        const bool plain = !(event->modifiers() & (Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier));
        switch (event->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            if (plain) {
                showPopup();
                return;
            }
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            showStoredGenre();
            return;
        default:
            break;
        }
        QComboBox::keyPressEvent(event);
    }

    void focusOutEvent(QFocusEvent* event) override
    {
        QComboBox::focusOutEvent(event);
        if (event->reason() != Qt::PopupFocusReason && currentText() != (storedGenre ? storedGenre() : QString()))
            showStoredGenre();
    }

private:
    bool listOpened_ = false;
};

QLabel* makeCaption(const QString& text, const QString& name, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(palette);
    return label;
}

} // namespace

TitleLoglineView::TitleLoglineView(MyDocument* parent, Screenplaydb* screenplay)
    : BaseViewController(QStringLiteral("TitleLoglineView"), parent, screenplay)
{
    auto* view = new QWidget;
    view->setObjectName(QStringLiteral("TitleLoglineView"));
    lblTitle_ = makeCaption(tr("Title:"), QStringLiteral("lblTitle"), view);
    lblLogline_ = makeCaption(tr("Logline:"), QStringLiteral("lblLogline"), view);
    lblLogline_->setAlignment(Qt::AlignRight | Qt::AlignTop);
    lblGenre_ = makeCaption(tr("Genre:"), QStringLiteral("lblGenre"), view);
    lblPages_ = makeCaption(tr("Pages:"), QStringLiteral("lblPages"), view);

    tfTitle_ = new QLineEdit(view);
    tfTitle_->setObjectName(QStringLiteral("tfTitle"));
    auto* logline = new LoglineField;
    logline->setParent(view);
    logline->setObjectName(QStringLiteral("tfLogline"));
    logline->setTabChangesFocus(true);
    tfLogline_ = logline;
    auto* genre = new GenreBox(view);
    genre->setObjectName(QStringLiteral("cmbGenre"));
    genre->addItems(storyGenres());
    genre->storedGenre = [this] { return this->screenplay() ? this->screenplay()->genre() : QString(); };
    genre->chosen = [this] { guardedCall([this] { comboBoxSelectionDidChange(cmbGenre_); }); };
    cmbGenre_ = genre;
    tfPageCount_ = new QLineEdit(view);
    tfPageCount_->setObjectName(QStringLiteral("tfPageCount"));
    tfPageCount_->setAlignment(Qt::AlignRight);
    cmdLoglines_ = new QPushButton(tr("Loglines..."), view);
    cmdLoglines_->setObjectName(QStringLiteral("cmdLoglines"));
    cmdGenreHelp_ = new QToolButton(view);
    cmdGenreHelp_->setObjectName(QStringLiteral("cmdGenreHelp"));
    cmdGenreHelp_->setIcon(PaneImages::image(QStringLiteral("zorvin")));
    cmdGenreHelp_->setAutoRaise(true);
    cmdGenreHelp_->setToolTip(tr("Advice on the genre"));
    cmdGenreHelp_->setProperty(kHelpTopicProperty, QStringLiteral("GENRE"));
    setView(view);

    for (QLineEdit* field : {tfTitle_, tfPageCount_})
        connect(field, &QLineEdit::editingFinished, this,
                [this, field] { guardedCall([this, field] { controlTextDidEndEditing(field); }); });
    logline->editingFinished = [this] { guardedCall([this] { controlTextDidEndEditing(tfLogline_); }); };
    TypingPause::watch(tfTitle_, this, [this] { guardedCall([this] { storeTypedText(tfTitle_); }); });
    TypingPause::watch(logline, this, [this] { guardedCall([this] { storeTypedText(tfLogline_); }); });
    connect(cmdLoglines_, &QPushButton::clicked, this, [this] { guardedCall([this] { showAllLoglines(); }); });
    connect(cmdGenreHelp_, &QToolButton::clicked, this,
            [this] { guardedCall([this] { showHelp(cmdGenreHelp_); }); });
}

TitleLoglineView::~TitleLoglineView() = default;

void TitleLoglineView::setFonts()
{
    const int size = StoredRange::fontSetting(screenplay()->standardFontSetting()) + 11;
    for (QLabel* caption : {lblTitle_, lblLogline_, lblGenre_, lblPages_})
        caption->setFont(standardFont(size, true));
    for (QWidget* field : std::initializer_list<QWidget*>{tfTitle_, tfLogline_, tfPageCount_, cmbGenre_})
        field->setFont(standardFont(size, false));
}

void TitleLoglineView::refreshView()
{
    Screenplaydb& story = *screenplay();
    setFonts();
    cmdLoglines_->setVisible(story.logLines().size() >= 2);
    tfTitle_->setText(story.screenplayTitle());
    tfPageCount_->setText(QString::number(story.pageCount()));
    if (const Loglinedb* logline = story.currentLogline()) {
        tfLogline_->setPlainText(logline->logline());
        tfLogline_->document()->setModified(false);
    }
    allowLoglineTyping();
    int genre = cmbGenre_->findText(story.genre());
    // A genre of an older story that the list does not hold is shown as it is.
    if (genre < 0 && !story.genre().isEmpty()) {
        cmbGenre_->addItem(story.genre());
        genre = cmbGenre_->count() - 1;
    }
    cmbGenre_->setCurrentIndex(genre);
    fitIntoPane(true);
}

void TitleLoglineView::fitIntoPane(bool placeView)
{
    const MainSplitView* titleSplit = myParent()->splTitle();
    const QSize pane = titleSplit ? titleSplit->paneSize(0) : QSize(0, 0);
    const int width = pane.width();
    const bool high = pane.height() >= kLeastHeight;
    QWidget* paneView = view();
    if (placeView) {
        qCDebug(lcApp, "%s", high ? "height > 70" : "height < 70");
        const QRect frame = high ? QRect(0, 0, width, pane.height())
                                 : QRect(0, pane.height() - kLeastHeight, width, kLeastHeight);
        const int parentHeight = paneView->parentWidget() ? paneView->parentWidget()->height() : pane.height();
        paneView->setGeometry(flippedFrame(frame, parentHeight));
    }
    const int viewHeight = paneView->height();

    // The top row: title, then genre, its help and the page count at the right edge.
    const bool smallFont = screenplay()->standardFontSetting() < 3;
    const int fieldHeight = smallFont ? 21 : 24;
    const int comboHeight = smallFont ? 23 : 26;
    const int fieldBottom = viewHeight - (smallFont ? 32 : 35);
    const int fieldTop = flippedFrame(QRect(0, fieldBottom, 1, fieldHeight), viewHeight).y();
    const int comboTop = flippedFrame(QRect(0, fieldBottom, 1, comboHeight), viewHeight).y();
    const int pagesLeft = width - kRightMargin - kPagesWidth;
    const int pagesCaptionLeft = pagesLeft - kGap - kPagesCaptionWidth;
    const int helpLeft = pagesCaptionLeft - kGap - kHelpSize;
    const int genreLeft = helpLeft - kGap - kGenreWidth;
    const int genreCaptionLeft = genreLeft - kGap - kGenreCaptionWidth;
    tfTitle_->setGeometry(kLoglineLeft, fieldTop,
                          std::max(kLeastTitleWidth, genreCaptionLeft - kGap - kLoglineLeft), fieldHeight);
    lblTitle_->setGeometry(kCaptionLeft, fieldTop, kCaptionWidth, fieldHeight);
    lblGenre_->setGeometry(genreCaptionLeft, fieldTop, kGenreCaptionWidth, fieldHeight);
    cmbGenre_->setGeometry(genreLeft, comboTop, kGenreWidth, comboHeight);
    cmdGenreHelp_->setGeometry(helpLeft, comboTop, kHelpSize, kHelpSize);
    lblPages_->setGeometry(pagesCaptionLeft, fieldTop, kPagesCaptionWidth, fieldHeight);
    tfPageCount_->setGeometry(pagesLeft, fieldTop, kPagesWidth, fieldHeight);

    // The logline below it, with the logline-list button at its right, as wide as its text in
    // the desktop's font needs.
    const int listButtonWidth = std::max(kListButtonWidth, cmdLoglines_->sizeHint().width());
    const int taken = cmdLoglines_->isHidden() ? kLoglineWidthTaken
                                               : kLoglineWidthTakenWithListButton + listButtonWidth - kListButtonWidth;
    const QRect logline = flippedFrame(QRect(kLoglineLeft, kLoglineBottom, width - taken,
                                             high ? pane.height() - kLoglineHeightTaken : kLoglineLowHeight),
                                       viewHeight);
    tfLogline_->setGeometry(logline);
    lblLogline_->setGeometry(kCaptionLeft, logline.y() + 2, kCaptionWidth, fieldHeight);
    cmdLoglines_->setGeometry(width - kRightMargin - listButtonWidth, logline.y(), listButtonWidth,
                              kListButtonHeight);
}

void TitleLoglineView::storeTypedText(QObject* control)
{
    Screenplaydb& story = *screenplay();
    if (control == tfTitle_) {
        story.setScreenplayTitle(tfTitle_->text());
        story.save();
    } else if (control == tfLogline_) {
        if (Loglinedb* logline = story.currentLogline()) {
            logline->setLogline(tfLogline_->toPlainText());
            logline->save();
        }
    }
}

void TitleLoglineView::controlTextDidEndEditing(QObject* control)
{
    if (storingEdit_)
        return;
    TypingPause::endEditOf(control);
    storingEdit_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{storingEdit_};

    Screenplaydb& story = *screenplay();
    if (control == tfTitle_) {
        story.setScreenplayTitle(tfTitle_->text());
        story.save();
        askForInitialBeatCards();
    } else if (control == tfLogline_) {
        if (Loglinedb* logline = story.currentLogline()) {
            logline->setLogline(tfLogline_->toPlainText());
            logline->save();
        }
        askForInitialBeatCards();
    } else if (control == tfPageCount_) {
        if (!pageCountEdited())
            return;
    }
    // Title, logline and genre together open the beat sheet for writing.
    if (BeatsTableView::beatsAreEditable(story))
        if (BeatsTableView* beats = myParent()->beatsTableView())
            beats->refreshView();
    story.save();
}

bool TitleLoglineView::pageCountEdited()
{
    Screenplaydb& story = *screenplay();
    const std::int64_t pages = StringUtilities::leadingInteger(tfPageCount_->text());
    if (pages < kLeastPages || pages > kMostPages) {
        AlertRequest alert;
        alert.title = QStringLiteral("Page Count");
        alert.message = QStringLiteral("The number of pages must be from 4 to 1000");
        Platform::alerts().runAlert(alert);
        tfPageCount_->setText(QString::number(story.pageCount()));
        return false;
    }
    tfPageCount_->setText(QString::number(pages));
    try {
        myParent()->setStoryPageCount(pages);
    } catch (...) {
        // Refused: the field shows the count the story kept.
        tfPageCount_->setText(QString::number(story.pageCount()));
        throw;
    }
    if (BeatsTableView* beats = myParent()->beatsTableView())
        beats->refreshView();
    return true;
}

void TitleLoglineView::comboBoxSelectionDidChange(QObject* comboBox)
{
    if (comboBox != cmbGenre_ || cmbGenre_->currentIndex() < 0)
        return;
    Screenplaydb& story = *screenplay();
    story.setGenre(cmbGenre_->currentText());
    story.save();
    askForInitialBeatCards();
}

void TitleLoglineView::askForInitialBeatCards()
{
    if (screenplay()->sceneCards().empty())
        myParent()->addMajorTurnCards();
}

void TitleLoglineView::showAllLoglines()
{
    myParent()->commitEditing();
    Screenplaydb& story = *screenplay();
    loglineListWindow_ = std::make_unique<LoglineList>(&story);
    ModalDialogs::paintBackground(*loglineListWindow_, myParent()->standardBackgroundColor());
    ModalDialogs::run(*loglineListWindow_);
    loglineListWindow_->close();
    loglineListWindow_.reset();
    if (const Loglinedb* current = story.currentLogline()) {
        tfLogline_->setPlainText(current->logline());
        tfLogline_->document()->setModified(false);
    }
    allowLoglineTyping();
    if (story.logLines().size() == 1)
        cmdLoglines_->hide();
    fitIntoPane(false);
}

void TitleLoglineView::allowLoglineTyping()
{
    // What is typed without a current logline would be kept nowhere.
    const bool current = screenplay()->currentLogline() != nullptr;
    tfLogline_->setReadOnly(!current);
    tfLogline_->setPlaceholderText(current ? QString() : tr("To write a logline, choose Story > New Logline."));
}

void TitleLoglineView::showHelp(QObject* sender)
{
    QPointer<MyDocument> document = myParent();
    QPointer<QObject> button = sender;
    const bool genre = helpTopicOf(sender) == QLatin1String("GENRE");
    const QString genreTopic = AutoTips::genreHelpKey(screenplay()->genre());
    // The help window is asked for once this click has been handled.
    QTimer::singleShot(0, document, [document, button, genre, genreTopic] {
        guardedCall([&] {
            if (genre)
                document->showHelpForTopic(genreTopic);
            else if (button)
                document->showHelp(button);
        });
    });
}
