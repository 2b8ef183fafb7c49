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
#include "panes/GeneralNotesView.h"
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
#include <QScopeGuard>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>

class DesktopLook : public BoardFixture
{
protected:
    // A story of one card and two loglines, every section showing; `list` shows its board as a list.
    MyDocument* openStory(bool list = false)
    {
        const QString layout = QStringLiteral("WindowState = 101111, BoardView = %1").arg(list ? 2 : 1);
        const QString path = story(QStringLiteral("Look"), {inBeat(1)}, layout);
        SqlProbe::exec(StoryFile::open(path).get(),
                       QStringLiteral("INSERT INTO Logline (ScreenplayID) SELECT ScreenplayID FROM Screenplay"));
        return open(path);
    }
};

TEST_F(DesktopLook, PanesInTheProgramsOwnColoursKeepTheirTextUnderADarkPalette)
{
    const auto restore = qScopeGuard([before = QApplication::palette()] { QApplication::setPalette(before); });
    QApplication::setPalette(QPalette(QColor(0x42, 0x42, 0x45)));
    MyDocument* document = openStory();
    StickyNoteView* note = document->generalNotesBoard()->addStickyNoteWith(QPointF(60.0, 60.0));
    document->openBigSceneCard(document->currentScreenplay()->sceneCards().front().get(), 6);
    document->showHelpForTopic(QStringLiteral("BEAT1"));
    settle();
    BigSceneView* card = document->bigSceneViewController();
    const std::tuple<const char*, QWidget*, QPalette::ColorRole, QPalette::ColorRole> rows[] = {
        {"the advice window's page", document->adviceWindow()->webDocument(), QPalette::Base, QPalette::Text},
        {"a sticky note's title", note->tfTitle(), QPalette::Base, QPalette::Text},
        {"the large card's +/- label", card->lblEmotionalChangeType(), QPalette::Window, QPalette::WindowText},
        {"the large card's heading", card->tfHeading(), QPalette::Base, QPalette::Text},
        {"a paragraph of the script", card->bigSceneScriptView()->textBoxes().at(0), QPalette::Base, QPalette::Text},
    };
    for (const auto& [what, widget, paper, ink] : rows) {
        // Light paper, and dark ink on it.
        const int light = qGray(widget->palette().color(paper).rgb());
        EXPECT_GE(light, 150) << what;
        EXPECT_GE(light - qGray(widget->palette().color(ink).rgb()), 120) << what;
    }
}

TEST_F(DesktopLook, ControlsInTheDesktopsFontFitTheirText)
{
    const auto restore = qScopeGuard([before = QApplication::font()] { QApplication::setFont(before); });
    QApplication::setFont(QFont(QApplication::font().family(), 14));
    MyDocument* document = openStory(true);
    QComboBox* filter = boardListViewOf(*document)->cmbCharacter();
    const std::pair<int, int> filterFits(filter->width(), filter->sizeHint().width());
    document->openBigSceneCard(document->currentScreenplay()->sceneCards().front().get(), 1);
    settle();
    QWidget* loglines = document->titleLoglineView()->cmdLoglines();
    QWidget* change = document->bigSceneViewController()->cmdEndDateTime();
    const std::pair<const char*, std::pair<int, int>> rows[] = {
        {"the button listing the loglines", {loglines->width(), loglines->sizeHint().width()}},
        {"the large card's buttons changing a date", {change->width(), change->sizeHint().width()}},
        {"the list view's character filter", filterFits},
    };
    for (const auto& [what, fits] : rows)
        EXPECT_GE(fits.first, fits.second) << what;
}

// Run only as the child process of the test below, on a screen of 1.5 device pixels per point.
TEST_F(DesktopLook, DISABLED_ChildProcessReadsTheDensityOfEveryPicture)
{
    ASSERT_EQ(qApp->devicePixelRatio(), 1.5);
    app_ = std::make_unique<AppController>();
    app_->awakeFromNib();
    const qreal splash = app_->splashScreen()->findChild<QLabel*>()->pixmap().devicePixelRatio();
    startApplication();
    MyDocument* document = openStory();
    const QPixmap cork = document->boardView()->boxBackground()->palette().brush(QPalette::Window).texture();
    QToolButton* help = document->titleLoglineView()->cmdGenreHelp();
    // A card of the list view is dragged by its raised tack.
    document->window()->tbToggleListCorkView()->trigger();
    settle();
    SceneCardView* listed = cardView(*document, document->currentScreenplay()->sceneCards().front()->sceneCardID());
    QTest::mousePress(listed->view(), Qt::LeftButton, Qt::ControlModifier, onTack(*listed, QPoint(10, 10)));
    QTest::mouseMove(listed->view(), onTack(*listed, QPoint(40, 30)));
    ASSERT_EQ(drags_.size(), 1u);
    const std::pair<const char*, qreal> rows[] = {
        {"the splash", splash},
        {"the genre's help button", help->icon().pixmap(help->iconSize(), 1.5).devicePixelRatio()},
        {"the cork", cork.devicePixelRatio()},
        {"the list view's drag", drags_.front().imageRatio},
    };
    for (const auto& [what, ratio] : rows)
        EXPECT_EQ(ratio, 1.5) << what;

    // A card's tack and indicators come out as when smooth resampling is asked for.
    SceneCardPainter card;
    card.look().indicators = {{SceneCardIndicator::Characters, QStringLiteral("CharactersInScene"), QString()}};
    const SceneCardLayout layout = sceneCardLayout(2, cardSizeForZoom(2), false, false);
    QImage painted[2];
    for (const bool smooth : {false, true}) {
        painted[smooth] = QImage(layout.card * 1.5, QImage::Format_ARGB32);
        painted[smooth].setDevicePixelRatio(1.5);
        QPainter on(&painted[smooth]);
        on.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
        card.paint(on, layout, layout.card);
    }
    EXPECT_TRUE(painted[0] == painted[1]) << "the card's pictures are resampled by nearest pixels";
}

TEST_F(DesktopLook, OnADenseScreenEveryPictureIsDrawnAtItsDensity)
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("1.5"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_also_run_disabled_tests", "--gtest_filter=DesktopLook.DISABLED_ChildProcess*"});
    ASSERT_TRUE(child.waitForFinished(120000));
    const QByteArray output = child.readAll();
    EXPECT_TRUE(child.exitCode() == 0 && output.contains("[  PASSED  ] 1 test")) << output.toStdString();
}

TEST_F(DesktopLook, TheToolbarsAddAndDeleteButtonsStandOutFromTheToolbar)
{
    MyDocument* document = openStory();
    document->setBeatSection(1);
    const int toolbar = qGray(document->window()->palette().color(QPalette::Window).rgb());
    // Inside each square's rim, clear of its marks.
    for (QAction* button : {document->window()->tbAddItem(), document->window()->tbDeleteItem()})
        EXPECT_GE(std::abs(qGray(button->icon().pixmap(32, 32).toImage().pixel(4, 24)) - toolbar), 40)
            << button->objectName().toStdString();
}
