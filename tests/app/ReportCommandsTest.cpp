#include "AppFixture.h"

#include "app/AppActions.h"
#include "app/DocumentController.h"
#include "app/MyDocument.h"
#include "model/StoryFile.h"
#include "support/SqlProbe.h"

#include <QAction>

class ReportCommands : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        startApplication();
    }

    MyDocument* open(const QString& path)
    {
        MyDocument* document = app_->documentController().openDocument(path);
        settle();
        return document;
    }

    static QString stored(const QString& path, const QString& column)
    {
        DatabaseConnection connection = StoryFile::open(path);
        return SqlProbe::scalar(connection.get(), QStringLiteral("SELECT %1 FROM Screenplay").arg(column));
    }
};

TEST_F(ReportCommands, EachCardReportOptionWritesOneThenZeroAndItsCheckFollows)
{
    const QString path = makeStory(QStringLiteral("Options.vtrsf"));
    {
        DatabaseConnection connection = StoryFile::open(path);
        // Every option starts off, so that the first choice turns it on.
        SqlProbe::exec(connection.get(),
                       QStringLiteral("UPDATE Screenplay SET A3x5IncludeNotes = 0, A3x5IncludeCharacters = 0, "
                                      "ABCIncludeNotes = 0, ABCIncludeCharacters = 0, R3x5IncludeNotes = 0, "
                                      "R3x5IncludeCharacters = 0, R4x6IncludeNotes = 0, R4x6IncludeCharacters = 0"));
    }
    MyDocument* document = open(path);
    ASSERT_NE(document, nullptr);
    AppActions& menus = app_->actions();
    const std::pair<QAction*, const char*> rows[] = {
        {menus.mnuRA3x5IncludeNotes, "A3x5IncludeNotes"},
        {menus.mnuRA3x5IncludeCharacters, "A3x5IncludeCharacters"},
        {menus.mnuRBCIncludeNotes, "ABCIncludeNotes"},
        {menus.mnuRBCIncludeCharacters, "ABCIncludeCharacters"},
        {menus.mnuR3x5IncludeNotes, "R3x5IncludeNotes"},
        {menus.mnuR3x5IncludeCharacters, "R3x5IncludeCharacters"},
        {menus.mnuR4x6IncludeNotes, "R4x6IncludeNotes"},
        {menus.mnuR4x6IncludeCharacters, "R4x6IncludeCharacters"},
    };
    for (const auto& [item, column] : rows) {
        SCOPED_TRACE(column);
        ASSERT_FALSE(item->isChecked());
        item->trigger();
        EXPECT_TRUE(item->isChecked());
        EXPECT_EQ(stored(path, QString::fromLatin1(column)), QStringLiteral("1"));
        item->trigger();
        EXPECT_FALSE(item->isChecked());
        EXPECT_EQ(stored(path, QString::fromLatin1(column)), QStringLiteral("0"));
        // The other options keep their values.
        for (const auto& [other, otherColumn] : rows) {
            if (other != item) {
                EXPECT_EQ(stored(path, QString::fromLatin1(otherColumn)), QStringLiteral("0")) << otherColumn;
            }
        }
    }
}
