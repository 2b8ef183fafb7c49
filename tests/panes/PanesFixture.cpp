#include "PanesFixture.h"

#include "app/DocumentController.h"
#include "app/MyDocument.h"
#include "model/Beatdb.h"
#include "model/Screenplaydb.h"
#include "model/StoryFile.h"
#include "model/Toolkit.h"
#include "panes/BeatsTableView.h"
#include "panes/InitialBeatCards.h"
#include "panes/LoglineList.h"
#include "panes/ModalDialogs.h"
#include "panes/TitleLoglineView.h"
#include "support/SqlProbe.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QGuiApplication>
#include <QWindow>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

void PanesFixture::SetUp()
{
    AppFixture::SetUp();
    startApplication();
    ModalDialogs::setRunner([this](QDialog& dialog) {
        dialogs_ << dialog.objectName();
        if (auto* cards = qobject_cast<InitialBeatCards*>(&dialog)) {
            const std::array<QCheckBox*, 5> boxes{cards->chkSetup(), cards->chkDebate(), cards->chkFunAndGames(),
                                                  cards->chkBadGuys(), cards->chkFivePointFinale()};
            for (std::size_t i = 0; i < boxes.size(); ++i)
                boxes[i]->setChecked(beatCardOptions[i]);
            cards->cmdProceed()->click();
        } else if (auto* list = qobject_cast<LoglineList*>(&dialog)) {
            if (inLoglineList)
                inLoglineList(*list);
            list->cmdClose()->click();
        } else if (dialog.objectName() == QLatin1String("addLoglineWindow")) {
            static const std::array<const char*, 4> buttons{"cmdCancel", "cmdBlankLogline", "cmdShortTemplate",
                                                            "cmdLongTemplate"};
            dialog.findChild<QPushButton*>(buttons[static_cast<std::size_t>(loglineKind)])->click();
        }
        return dialog.result();
    });
}

void PanesFixture::TearDown()
{
    ModalDialogs::setRunner({});
    AppFixture::TearDown();
}

QString PanesFixture::story(const QString& name, const QString& assignments, bool withBeatCards)
{
    const QString path = makeStory(name + QStringLiteral(".vtrsf"));
    if (!assignments.isEmpty()) {
        DatabaseConnection connection = StoryFile::open(path);
        SqlProbe::exec(connection.get(), QStringLiteral("UPDATE Screenplay SET ") + assignments);
    }
    if (withBeatCards) {
        Screenplaydb story;
        story.initWithFile(path);
        story.hydrate();
        Toolkit().addInitialBeatCardsForScreenplay(story, {});
        story.closeDatabase();
    }
    return path;
}

MyDocument* PanesFixture::open(const QString& path)
{
    document_ = app_->documentController().openDocument(path);
    settle();
    return document_;
}

Screenplaydb& PanesFixture::screenplay() const
{
    return *document_->currentScreenplay();
}

TitleLoglineView& PanesFixture::titlePane() const
{
    return *document_->titleLoglineView();
}

QString PanesFixture::stored(const QString& sql) const
{
    return SqlProbe::scalar(document_->database(), sql);
}

void PanesFixture::chooseGenre(const QString& genre) const
{
    // As the writer does: Down opens the list, the arrows go to the genre and Return takes it.
    QComboBox* genres = titlePane().cmbGenre();
    const int index = genres->findText(genre);
    ASSERT_GE(index, 0) << genre.toStdString();
    genres->setFocus();
    QTest::keyClick(genres, Qt::Key_Down);
    QAbstractItemView* list = genres->view();
    ASSERT_TRUE(list->isVisible());
    // The offscreen platform moves the keyboard to the list's window, and back only when asked.
    const auto hasKeyboard = [](QWidget* widget) {
        return QTest::qWaitFor([widget] { return QGuiApplication::focusWindow() == widget->window()->windowHandle(); });
    };
    ASSERT_TRUE(hasKeyboard(list));
    for (int steps = 0; list->currentIndex().row() != index && steps < genres->count(); ++steps)
        QTest::keyClick(list, list->currentIndex().row() < index ? Qt::Key_Down : Qt::Key_Up);
    QTest::keyClick(list, Qt::Key_Return);
    ASSERT_FALSE(list->isVisible());
    genres->window()->activateWindow();
    ASSERT_TRUE(hasKeyboard(genres));
}

bool PanesFixture::writeBeat(int beat, const QString& text) const
{
    QTableView* table = document_->beatsTableView()->tvTable();
    const QModelIndex index = table->model()->index((beat - 1) * 2 + 1, 1);
    table->scrollTo(index);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(index).center());
    auto* editor = table->findChild<QPlainTextEdit*>(QStringLiteral("beatEditor"));
    if (!editor)
        return false;
    editor->setPlainText(text);
    QTest::keyClick(editor, Qt::Key_Return);
    settle();
    return true;
}

void PanesFixture::fillTitleLoglineAndGenre() const
{
    type(titlePane().tfTitle(), QStringLiteral("The Long Way Home"));
    type(titlePane().tfLogline(), QStringLiteral("A lost sailor must learn to trust before the storm."));
    chooseGenre(QStringLiteral("Adventure"));
}

void PanesFixture::describeEveryBeat() const
{
    for (const auto& beat : screenplay().beats()) {
        beat->setDescription(QStringLiteral("Beat %1 described").arg(beat->beatNumber()));
        beat->save();
    }
}
