#include "AppFixture.h"

#include "app/AppActions.h"
#include "app/DocumentController.h"
#include "app/MyDocument.h"
#include "app/StoryWindow.h"
#include "model/SceneCarddb.h"
#include "model/Screenplaydb.h"
#include "model/StoryFile.h"
#include "panes/BeatsTableView.h"
#include "panes/CharacterDetailView.h"
#include "panes/InitialBeatCards.h"
#include "panes/ModalDialogs.h"
#include "panes/TitleLoglineView.h"
#include "reports/PdfProbe.h"
#include "scene_editor/BigSceneView.h"
#include "scene_editor/SetupPayoffSelectorWindow.h"
#include "support/SqlProbe.h"
#include "support/XServer.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

// A writer with no mouse, from New Story to a printed report: every key goes to the control that
// has the keyboard, as a real keyboard's do, and the focus is checked at each stop.
class KeyboardWalk : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        startApplication();
        ModalDialogs::setRunner([this](QDialog& dialog) { return answer(dialog); });
    }

    void TearDown() override
    {
        ModalDialogs::setRunner({});
        AppFixture::TearDown();
    }

    // The dialogs of the walk: the initial beat cards placed as they come, the partner of a link
    // reached with the arrows in the picker's list and chosen with Return.
    int answer(QDialog& dialog)
    {
        dialogs_ << dialog.objectName();
        if (auto* cards = qobject_cast<InitialBeatCards*>(&dialog)) {
            cards->cmdProceed()->click();
        } else if (auto* picker = dynamic_cast<SetupPayoffSelectorWindow*>(&dialog)) {
            picker->show();
            QTableView* list = picker->tvTable();
            list->setFocus();
            const auto atThePayoff = [list] {
                return list->currentIndex().data().toString() == QStringLiteral("the tape is found");
            };
            for (int row = 0; row < list->model()->rowCount() && !atThePayoff(); ++row)
                QTest::keyClick(list, Qt::Key_Down);
            QTest::keyClick(list, Qt::Key_Return);
        }
        return dialog.result();
    }

    static QWidget* focus() { return QApplication::focusWidget(); }
    static QString focusName() { return focus() ? focus()->objectName() : QStringLiteral("(none)"); }
    // A key on whatever has the keyboard, and the window's turn after it.
    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        ASSERT_NE(focus(), nullptr);
        QTest::keyClick(focus(), key, modifiers);
        settle();
    }
    static void write(const QString& text)
    {
        ASSERT_NE(focus(), nullptr);
        QTest::keyClicks(focus(), text);
    }
    // Ctrl+Shift+Tab, which goes back from texts that take Tab as from any control, until the
    // story elements' section labels have the keyboard.
    static void backToTheSections(const MyDocument& document)
    {
        const auto atSections = [&document] {
            return focus() && focus()->parentWidget() == document.optSelectBeats()->parentWidget();
        };
        for (int step = 0; step < 40 && !atSections(); ++step)
            press(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        ASSERT_TRUE(atSections()) << focusName().toStdString();
    }
    // A menu item of the section showing, as the writer chooses it from the menu bar.
    static void choose(QAction* item)
    {
        ASSERT_TRUE(item->isVisible() && item->isEnabled()) << item->objectName().toStdString();
        item->trigger();
        settle();
    }
    // Down opens the genres; the arrows go to the one wanted and Return takes it.
    static void chooseGenre(QComboBox& genres, const QString& genre)
    {
        const int index = genres.findText(genre);
        ASSERT_GE(index, 0);
        QTest::keyClick(&genres, Qt::Key_Down);
        QAbstractItemView* list = genres.view();
        ASSERT_TRUE(
            QTest::qWaitFor([list] { return QGuiApplication::focusWindow() == list->window()->windowHandle(); }));
        for (int steps = 0; list->currentIndex().row() != index && steps < genres.count(); ++steps)
            QTest::keyClick(list, list->currentIndex().row() < index ? Qt::Key_Down : Qt::Key_Up);
        QTest::keyClick(list, Qt::Key_Return);
        genres.window()->activateWindow();
        QApplication::setActiveWindow(genres.window());
        ASSERT_TRUE(QTest::qWaitFor([&genres] { return genres.hasFocus(); }));
    }

    QStringList dialogs_;
};

TEST_F(KeyboardWalk, AWriterWithoutAMouseGoesFromNewStoryToAPrintedReport)
{
    const QString path = QDir(documents()).filePath(QStringLiteral("Walk.vtrsf"));
    fakes_.filePanels->saveAnswers = {path.chopped(6)};
    MyDocument* document = app_->documentController().newDocument();
    ASSERT_NE(document, nullptr);
    settle();
    StoryWindow* window = document->window();
    window->activateWindow();
    QApplication::setActiveWindow(window); // there may be no window manager to do it
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    TitleLoglineView& title = *document->titleLoglineView();
    const auto stored = [document](const char* sql) { return SqlProbe::scalar(document->database(), sql); };

    // Title, logline, genre and pages, each reached by Tab.
    ASSERT_EQ(focus(), title.tfTitle());
    press(Qt::Key_A, Qt::ControlModifier);
    write(QStringLiteral("Keys Alone"));
    press(Qt::Key_Tab);
    ASSERT_EQ(focus(), title.tfLogline());
    write(QStringLiteral("A writer without a mouse must finish a story before dawn."));
    press(Qt::Key_Tab);
    ASSERT_EQ(focus(), title.cmbGenre());
    chooseGenre(*title.cmbGenre(), QStringLiteral("Thriller"));
    press(Qt::Key_Tab);
    ASSERT_EQ(focus(), title.tfPageCount());
    press(Qt::Key_A, Qt::ControlModifier);
    write(QStringLiteral("10"));
    // The story's elements: their chosen section's label, then the first beat's text.
    press(Qt::Key_Tab);
    ASSERT_EQ(focus(), document->optSelectBeats());
    press(Qt::Key_Tab);
    ASSERT_EQ(focusName(), "beatEditor");
    for (int beat = 1; beat <= 15; ++beat) {
        SCOPED_TRACE(beat);
        ASSERT_EQ(document->beatsTableView()->tvTable()->currentIndex().row(), beat * 2 - 1);
        write(QStringLiteral("Beat %1 on keys.").arg(beat));
        press(Qt::Key_Tab);
    }
    ASSERT_TRUE(waitUntil([document] { return document->currentScreenplay()->sceneCards().size() == 15; }));
    EXPECT_EQ(dialogs_.count(QStringLiteral("InitialBeatCards")), 1);
    EXPECT_EQ(stored("SELECT ScreenplayTitle || '|' || Genre || '|' || PageCount FROM Screenplay"),
              "Keys Alone|Thriller|10");
    EXPECT_EQ(stored("SELECT COUNT(*) FROM Beat WHERE Description LIKE 'Beat % on keys.'"), "15");

    // Round again: past the last beat, the board, at its first card's heading.
    for (int step = 0; step < 40 && !(focus() && document->boardPane()->isAncestorOf(focus())); ++step)
        press(Qt::Key_Tab);
    SceneCarddb* first = document->currentScreenplay()->sceneCards().front().get();
    const auto cardKey = QString::number(first->sceneCardID());
    ASSERT_EQ(focusName(), "cardFieldEditor");
    write(QStringLiteral("int. studio - night"));
    press(Qt::Key_Return);
    EXPECT_EQ(first->heading(), "INT. STUDIO - NIGHT");
    ASSERT_TRUE(focus() && document->boardPane()->isAncestorOf(focus())) << "Return leaves the keyboard on the card";
    // Ctrl+N and Ctrl+P page to the next card and back; Return on the card opens it large.
    press(Qt::Key_N, Qt::ControlModifier);
    ASSERT_EQ(focusName(), "cardFieldEditor");
    press(Qt::Key_P, Qt::ControlModifier);
    press(Qt::Key_Escape);
    press(Qt::Key_Return);
    BigSceneView* big = document->bigSceneViewController();
    ASSERT_NE(big, nullptr);
    ASSERT_EQ(big->scene(), first);
    ASSERT_EQ(focus(), big->tfHeading());

    // The large card: its fields, its tab labels and the script.
    press(Qt::Key_Tab);
    ASSERT_EQ(focus(), big->tfPageNumber());
    press(Qt::Key_Tab);
    ASSERT_EQ(focus(), big->tfDescription());
    press(Qt::Key_A, Qt::ControlModifier);
    write(QStringLiteral("The tape\trolls."));
    press(Qt::Key_Tab, Qt::ControlModifier);
    ASSERT_EQ(focus(), big->tfEmotionalChange());
    write(QStringLiteral("calm to afraid"));
    press(Qt::Key_Tab);
    ASSERT_EQ(focus(), big->tfConflict());
    write(QStringLiteral("the tape runs out"));
    press(Qt::Key_Tab);
    ASSERT_EQ(focus(), big->tabSelector(1));
    for (int tab = 2; tab <= 6; ++tab)
        press(Qt::Key_Right);
    ASSERT_EQ(big->selectedTabID(), 6);
    ASSERT_EQ(focus(), big->tabSelector(6));
    press(Qt::Key_Tab);
    ASSERT_EQ(focusName(), "scriptBox");
    write(QStringLiteral("The writer types without a mouse."));
    press(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_FALSE(big->view()->isAncestorOf(focus())) << "Ctrl+Tab leaves the script";
    ASSERT_TRUE(waitUntil([&] {
        return SqlProbe::scalar(document->database(),
                                "SELECT ScriptText FROM ScriptPart WHERE SceneCardID = " + cardKey)
               == "The writer types without a mouse.";
    }));

    // A character, from the menu of its section.
    backToTheSections(*document);
    press(Qt::Key_Right);
    ASSERT_EQ(focus(), document->optSelectCharacters());
    choose(app_->actions().mnuAddCharacter);
    ASSERT_NE(document->characterDetailView(), nullptr);
    ASSERT_EQ(focus(), document->characterDetailView()->tfName());
    write(QStringLiteral("ada"));
    press(Qt::Key_Tab);

    // A pay-off and a set-up, each from its section's menu, and the link between them made from
    // the set-up's row: its link mark, then Return.
    backToTheSections(*document);
    for (int section = 1; section < 4; ++section)
        press(Qt::Key_Right);
    choose(app_->actions().mnuAddPayoff);
    write(QStringLiteral("the tape is found"));
    press(Qt::Key_Return);
    backToTheSections(*document);
    press(Qt::Key_Left);
    choose(app_->actions().mnuAddSetup);
    write(QStringLiteral("a tape recorder"));
    press(Qt::Key_Return);
    // Return leaves the keyboard with the list; below the set-up, its partner's row and its link mark.
    auto* setups = qobject_cast<QTableView*>(focus());
    ASSERT_NE(setups, nullptr) << focusName().toStdString();
    ASSERT_EQ(setups->currentIndex().row(), 0);
    press(Qt::Key_Down);
    ASSERT_EQ(setups->currentIndex(), setups->model()->index(1, 0));
    press(Qt::Key_Return);
    EXPECT_EQ(dialogs_.count(QStringLiteral("SetupPayoffSelectorWindow")), 1) << dialogs_.join(' ').toStdString();
    EXPECT_EQ(stored("SELECT ScenePayoffID FROM SceneSetup WHERE SceneSetup = 'a tape recorder'"),
              stored("SELECT ScenePayoffID FROM ScenePayoff WHERE ScenePayoff = 'the tape is found'"));

    // The report, printed from the menu, shows the card as written.
    const QString report = QDir(home_.path()).filePath(QStringLiteral("walk.pdf"));
    fakes_.printPanels->answers.push_back(report);
    app_->actions().mnuRSCDetailed->trigger();
    settle();
    const PdfProbe pdf(report);
    ASSERT_TRUE(pdf.ok()) << pdf.error().toStdString();
    EXPECT_TRUE(pdf.text().contains(QStringLiteral("INT. STUDIO - NIGHT"))) << pdf.text().toStdString();
    EXPECT_TRUE(pdf.text().contains(QStringLiteral("calm to afraid")));

    // The file, read back once the window has closed, holds all of it.
    window->close();
    settle();
    DatabaseConnection file = StoryFile::open(path);
    const auto read = [&file](const QString& sql) { return SqlProbe::scalar(file.get(), sql); };
    EXPECT_EQ(read("SELECT ScreenplayTitle || '|' || Genre || '|' || PageCount FROM Screenplay"),
              "Keys Alone|Thriller|10");
    EXPECT_EQ(read("SELECT Logline FROM Logline WHERE CurrentLoglineFlag = 1"),
              "A writer without a mouse must finish a story before dawn.");
    // The first card is the first beat's: its description is the beat's.
    EXPECT_EQ(read("SELECT group_concat(Description, '|') FROM (SELECT Description FROM Beat ORDER BY BeatNumber "
                   "LIMIT 3)"),
              "The tape\trolls.|Beat 2 on keys.|Beat 3 on keys.");
    EXPECT_EQ(read("SELECT COUNT(*) FROM Beat WHERE Description LIKE 'Beat % on keys.'"), "14");
    EXPECT_EQ(read("SELECT COUNT(*) FROM SceneCard WHERE OnBoard = 1"), "15");
    EXPECT_EQ(read("SELECT Heading || '|' || Description || '|' || EmotionalChange || '|' || Conflict FROM SceneCard "
                   "WHERE SceneCardID = " + cardKey),
              "INT. STUDIO - NIGHT|The tape\trolls.|calm to afraid|the tape runs out");
    EXPECT_EQ(read("SELECT ScriptText FROM ScriptPart WHERE SceneCardID = " + cardKey),
              "The writer types without a mouse.");
    EXPECT_EQ(read("SELECT CharacterName FROM Character"), "ADA");
    EXPECT_EQ(read("SELECT COUNT(*) FROM SceneSetup s JOIN ScenePayoff p ON s.ScenePayoffID = p.ScenePayoffID"), "1");
}

// The same walk under X, with GNOME's theme and with GTK's, whose Return and Tab differ from Qt's own.
TEST(KeyboardWalkUnderThemes, TheWalkHoldsUnderGnomesAndGtksThemes)
{
    runOnAnXServerOfItsOwn(QStringLiteral("KeyboardWalk.AWriterWithoutAMouse*"), 1, {"gnome", "gtk3"});
}
