// The story window under the desktop's own look: a dark palette, a dense screen, a large font.
#include "board/BoardFixture.h"

#include "app/AdviceWindow.h"
#include "app/MyDocument.h"
#include "app/StoryWindow.h"
#include "board/BoardListViewView.h"
#include "board/BoardView.h"
#include "board/SceneCardView.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "panes/BeatsTableView.h"
#include "panes/GeneralNotesView.h"
#include "panes/ItemsTableView.h"
#include "panes/StickyNoteView.h"
#include "panes/TitleLoglineView.h"
#include "scene_editor/BigSceneScriptView.h"
#include "scene_editor/BigSceneView.h"
#include "support/SqlProbe.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>

#include <cmath>

namespace {

// A desktop's dark theme: light text on dark grey.
QPalette darkPalette()
{
    QPalette dark(Qt::white, QColor(0x42, 0x42, 0x45), QColor(0x97, 0x97, 0x97), QColor(0x30, 0x2f, 0x2e),
                  QColor(0x4a, 0x49, 0x47), Qt::white, Qt::white, QColor(0x3d, 0x3d, 0x3d), QColor(0x22, 0x20, 0x20));
    dark.setColor(QPalette::PlaceholderText, QColor(255, 255, 255, 128));
    return dark;
}

// How far apart two colours stand for the eye: 1 for the same, 21 for black on white.
double contrast(const QColor& a, const QColor& b)
{
    const auto luminance = [](const QColor& colour) {
        const auto channel = [](double value) {
            return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) + 0.0722 * channel(colour.blueF());
    };
    const double lighter = std::max(luminance(a), luminance(b));
    const double darker = std::min(luminance(a), luminance(b));
    return (lighter + 0.05) / (darker + 0.05);
}

// The desktop's palette or font for the length of a test.
class DesktopPalette
{
public:
    explicit DesktopPalette(const QPalette& palette) : before_(QApplication::palette()) { QApplication::setPalette(palette); }
    ~DesktopPalette() { QApplication::setPalette(before_); }

private:
    QPalette before_;
};

class DesktopFont
{
public:
    explicit DesktopFont(const QFont& font) : before_(QApplication::font()) { QApplication::setFont(font); }
    ~DesktopFont() { QApplication::setFont(before_); }

private:
    QFont before_;
};

constexpr double kDenseRatio = 1.5;

} // namespace

class DesktopLook : public BoardFixture
{
protected:
    // A story with one card, laid out with every section and the notes showing; `list` shows the
    // board as a list.
    MyDocument* openStory(const QString& name, bool list = false)
    {
        const QString path = story(name, {inBeat(1)},
                                   QStringLiteral("WindowState = 101111, BoardView = %1").arg(list ? 2 : 1));
        DatabaseConnection connection = StoryFile::open(path);
        // A second logline brings the button that lists them.
        SqlProbe::exec(connection.get(), QStringLiteral("INSERT INTO Logline (ScreenplayID, Logline) "
                                                        "SELECT ScreenplayID, 'A second try' FROM Screenplay"));
        return open(path);
    }
};

// The panes the program paints in its own light colours keep their dark text when the desktop's
// palette is dark: no light text on the paper, no dark box inside a card.
TEST_F(DesktopLook, PanesInTheProgramsOwnColoursKeepTheirTextUnderADarkPalette)
{
    const DesktopPalette desktop(darkPalette());
    MyDocument* document = openStory(QStringLiteral("Dark"));
    ASSERT_NE(document, nullptr);
    StickyNoteView* note = document->generalNotesBoard()->addStickyNoteWith(QPointF(60.0, 60.0));
    document->openBigSceneCard(document->currentScreenplay()->sceneCards().front().get(), 6);
    document->showHelpForTopic(QStringLiteral("BEAT1"));
    settle();
    BigSceneView* card = document->bigSceneViewController();
    ASSERT_NE(card, nullptr);
    ASSERT_NE(card->bigSceneScriptView(), nullptr);
    ASSERT_FALSE(card->bigSceneScriptView()->textBoxes().empty());
    ASSERT_NE(document->adviceWindow(), nullptr);

    const struct {
        const char* what;
        QWidget* widget;
        QPalette::ColorRole paper;
        QPalette::ColorRole ink;
    } rows[] = {
        {"the advice window's page", document->adviceWindow()->webDocument(), QPalette::Base, QPalette::Text},
        {"a sticky note's title", note->tfTitle(), QPalette::Base, QPalette::Text},
        {"the large card's +/- label", card->lblEmotionalChangeType(), QPalette::Window, QPalette::WindowText},
        {"the large card's heading", card->tfHeading(), QPalette::Base, QPalette::Text},
        {"a paragraph of the script", card->bigSceneScriptView()->textBoxes().front(), QPalette::Base,
         QPalette::Text},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const QColor paper = row.widget->palette().color(row.paper);
        const QColor ink = row.widget->palette().color(row.ink);
        EXPECT_GE(paper.lightness(), 150) << paper.name().toStdString();
        EXPECT_GE(contrast(paper, ink), 7.0) << ink.name().toStdString() << " on " << paper.name().toStdString();
    }
}

// With a large desktop font the controls that show it are as wide as their text needs.
TEST_F(DesktopLook, ControlsInTheDesktopsFontFitTheirText)
{
    QFont large = QApplication::font();
    large.setPointSize(14);
    const DesktopFont desktop(large);
    MyDocument* document = openStory(QStringLiteral("Large"), true);
    ASSERT_NE(document, nullptr);
    BoardListViewView* list = boardListViewOf(*document);
    ASSERT_NE(list, nullptr);
    QComboBox* filter = list->cmbCharacter();
    const int filterWidth = filter->width();
    const int filterNeeds = filter->sizeHint().width();
    document->openBigSceneCard(document->currentScreenplay()->sceneCards().front().get(), 1);
    settle();
    BigSceneView* card = document->bigSceneViewController();
    ASSERT_NE(card, nullptr);

    const struct {
        const char* what;
        int width;
        int needs;
    } rows[] = {
        {"the button listing the loglines", document->titleLoglineView()->cmdLoglines()->width(),
         document->titleLoglineView()->cmdLoglines()->sizeHint().width()},
        {"the large card's buttons changing a date", card->cmdEndDateTime()->width(),
         card->cmdEndDateTime()->sizeHint().width()},
        {"the list view's character filter", filterWidth, filterNeeds},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_GE(row.width, row.needs);
    }
}

// Run only as the child process of the test below, on a screen of 1.5 device pixels per point:
// every picture shown has that density.
TEST_F(DesktopLook, DISABLED_ChildProcessReadsTheDensityOfEveryPicture)
{
    ASSERT_EQ(qApp->devicePixelRatio(), kDenseRatio);
    // The splash shows as the application starts.
    app_ = std::make_unique<AppController>();
    app_->awakeFromNib();
    const auto* splash = app_->splashScreen()->findChild<QLabel*>();
    ASSERT_NE(splash, nullptr);
    const qreal splashRatio = splash->pixmap().devicePixelRatio();
    startApplication();
    MyDocument* document = openStory(QStringLiteral("Dense"));
    ASSERT_NE(document, nullptr);
    const QPixmap cork = document->boardView()->boxBackground()->palette().brush(QPalette::Window).texture();
    const QAbstractItemModel* beats = document->beatsTableView()->tvTable()->model();
    const QPixmap beatAdvice = beats->data(beats->index(0, 0), Qt::DecorationRole).value<QPixmap>();
    document->setBeatSection(1);
    settle();
    const QAbstractItemModel* characters = document->charactersTableView()->tvTable()->model();
    const QPixmap characterAdvice = characters->data(characters->index(0, 0), Qt::DecorationRole).value<QPixmap>();
    const QSize toolbarIcons = document->window()->toolbar()->iconSize();
    QToolButton* genreHelp = document->titleLoglineView()->cmdGenreHelp();

    // The list view's card is dragged by its raised tack.
    document->window()->tbToggleListCorkView()->trigger();
    settle();
    SceneCardView* listed = cardView(*document, document->currentScreenplay()->sceneCards().front()->sceneCardID());
    QWidget* tack = listed->view();
    QTest::mousePress(tack, Qt::LeftButton, Qt::ControlModifier, onTack(*listed, QPoint(10, 10)));
    QTest::mouseMove(tack, onTack(*listed, QPoint(40, 30)));
    QTest::mouseRelease(tack, Qt::LeftButton, Qt::ControlModifier, onTack(*listed, QPoint(40, 30)));
    ASSERT_EQ(drags_.size(), 1u);

    const struct {
        const char* what;
        qreal ratio;
    } rows[] = {
        {"the splash", splashRatio},
        {"the genre's help button", genreHelp->icon().pixmap(genreHelp->iconSize(), kDenseRatio).devicePixelRatio()},
        {"a beat row's advice", beatAdvice.devicePixelRatio()},
        {"an element row's advice", characterAdvice.devicePixelRatio()},
        {"the toolbar's add button",
         document->window()->tbAddItem()->icon().pixmap(toolbarIcons, kDenseRatio).devicePixelRatio()},
        {"the toolbar's delete button",
         document->window()->tbDeleteItem()->icon().pixmap(toolbarIcons, kDenseRatio).devicePixelRatio()},
        {"the cork", cork.devicePixelRatio()},
        {"the list view's drag", drags_.front().imageRatio},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(row.ratio, kDenseRatio);
    }

    // A card's tack and indicators are resampled to their frames: the card comes out the same
    // when smooth resampling is asked for.
    SceneCardPainter painter;
    SceneCardLook look;
    look.indicators = {{SceneCardIndicator::Characters, QStringLiteral("CharactersInScene"), QString()}};
    painter.setLook(look);
    const SceneCardLayout layout = sceneCardLayout(2, cardSizeForZoom(2), false, false);
    const auto paintCard = [&](bool smooth) {
        QImage image(layout.card * kDenseRatio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(kDenseRatio);
        QPainter on(&image);
        on.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
        painter.paint(on, layout, layout.card);
        return image;
    };
    EXPECT_TRUE(paintCard(false) == paintCard(true)) << "the card's pictures are resampled with nearest pixels";
}

TEST_F(DesktopLook, OnADenseScreenEveryPictureIsDrawnAtItsDensity)
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(kDenseRatio));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_also_run_disabled_tests", "--gtest_filter=DesktopLook.DISABLED_ChildProcess*"});
    ASSERT_TRUE(child.waitForFinished(120000));
    const QString output = QString::fromLocal8Bit(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 1 test"))) << output.toStdString();
}

// The toolbar's add and delete buttons stand out from the orange the toolbar shows.
TEST_F(DesktopLook, TheToolbarsAddAndDeleteButtonsStandOutFromTheToolbar)
{
    MyDocument* document = openStory(QStringLiteral("Toolbar"));
    ASSERT_NE(document, nullptr);
    document->setBeatSection(1);
    settle();
    const QColor toolbar = document->window()->palette().color(QPalette::Window);
    for (QAction* button : {document->window()->tbAddItem(), document->window()->tbDeleteItem()}) {
        SCOPED_TRACE(button->objectName().toStdString());
        // Inside the square's rim, clear of its marks.
        const QColor fill = button->icon().pixmap(QSize(32, 32), 1.0).toImage().pixelColor(4, 24);
        EXPECT_GE(contrast(fill, toolbar), 2.0) << fill.name().toStdString() << " on " << toolbar.name().toStdString();
    }
}
