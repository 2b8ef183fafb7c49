#include "ReportFixture.h"
#include "model/AttachedObjectdb.h"
#include "model/Beatdb.h"
#include "model/CharacterObjectdb.h"
#include "model/Characterdb.h"
#include "model/Loglinedb.h"
#include "model/SceneLocationdb.h"
#include "model/ScenePayoffdb.h"
#include "model/SceneSetupdb.h"
#include "model/StickyNotedb.h"
#include "reports/StoryReports.h"

#include <QBuffer>
#include <QImage>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

// The notes palette of these tests: colour id n is a distinct, fully saturated colour.
QColor testPalette(std::int64_t colour)
{
    switch (colour) {
    case 3:
        return QColor(0, 160, 0);
    case 5:
        return QColor(0, 0, 200);
    default:
        return QColor(Qt::white);
    }
}

QByteArray pngOf(const QColor& colour, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

class StoryReportsPdf : public ReportFixture
{
protected:
    // The body's words (below the page header) of every page, in reading order.
    static QString bodyText(const PdfProbe& pdf, const StoryReport& report)
    {
        QStringList words;
        const double top = double(report.info().topMargin + report.info().reportHeaderHeight) - 1;
        const double bottom = 792 - 40 + 1;
        for (const PdfProbe::Word& word : pdf.words())
            if (word.box.top() >= top && word.box.bottom() <= bottom)
                words.append(word.text);
        return words.join(QLatin1Char(' '));
    }

    // How many pictures other than the page logos the PDF shows.
    int pictureCount(const QString& name)
    {
        QProcess process;
        process.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), folder_.filePath(name)});
        EXPECT_TRUE(process.waitForFinished(60000));
        int count = 0;
        for (const QByteArray& line : process.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> columns = line.simplified().split(' ');
            // page num type width height ...: the logo is the one 256-pixel square.
            if (columns.size() > 4 && columns[2] == "image" && !(columns[3] == "256" && columns[4] == "256"))
                ++count;
        }
        return count;
    }

    Characterdb& addCharacter(const QString& name)
    {
        auto character = std::make_unique<Characterdb>();
        character->setCharacterName(name);
        character->insertIntoDatabase(&story());
        story().characters().push_back(std::move(character));
        return *story().characters().back();
    }

    // An attachment with a picture, linked to a character.
    void attachPicture(Characterdb& character, const QString& title, const QString& linkText, const QColor& colour)
    {
        auto attachment = std::make_unique<AttachedObjectdb>();
        attachment->setTitle(title);
        attachment->insertIntoDatabase(&story());
        attachment->saveThumbnail(pngOf(colour, QSize(40, 30)));
        auto link = std::make_unique<CharacterObjectdb>();
        link->setAttachedObjectID(attachment->attachedObjectID());
        link->setCharacterID(character.characterID());
        link->setDescription(linkText);
        character.characterObjects().push_back(link.get());
        story().characterObjects().push_back(std::move(link));
        story().attachedObjects().push_back(std::move(attachment));
    }

};

} // namespace

TEST_F(StoryReportsPdf, AStoryWithNothingToListGivesOneHeaderOnlyPage)
{
    // A new story has its current logline and its beats; the beats are emptied of nothing, so
    // the beat sheet is left out here.
    using Build = std::unique_ptr<StoryReport> (*)(Screenplaydb&);
    const std::pair<const char*, Build> builders[] = {
        {"LOGLINES", &StoryReports::loglines},
        {"CHARACTERS", &StoryReports::charactersList},
        {"CHARACTER BIOGRAPHIES", &StoryReports::charactersBiography},
        {"LOCATIONS", &StoryReports::locationsList},
        {"LOCATION DETAILS", &StoryReports::locationsDetails},
        {"SET-UPS", &StoryReports::setups},
        {"PAY-OFFS", &StoryReports::payoffs},
    };
    for (const auto& [title, build] : builders) {
        SCOPED_TRACE(title);
        const std::unique_ptr<StoryReport> report = build(story());
        const PdfProbe pdf = print(report);
        EXPECT_EQ(pdf.pageCount(), 1);
        EXPECT_TRUE(pdf.pageText(1).contains(QString::fromLatin1(title)));
        EXPECT_TRUE(bodyText(pdf, *report).isEmpty()) << bodyText(pdf, *report).toStdString();
    }
    const std::unique_ptr<StoryReport> notes = StoryReports::generalNotes(story(), 0, &testPalette);
    const PdfProbe pdf = print(notes);
    EXPECT_EQ(pdf.pageCount(), 1);
    EXPECT_TRUE(bodyText(pdf, *notes).isEmpty());
    story().beats().clear();
    EXPECT_EQ(print(StoryReports::beatSheet(story())).pageCount(), 1);
}

TEST_F(StoryReportsPdf, TheLoglinesLeaveOutTheCurrentOneButNotItsTwin)
{
    Loglinedb* current = story().currentLogline();
    ASSERT_NE(current, nullptr);
    current->setLogline(QStringLiteral("Twinned"));
    for (const char* text : {"Twinned", "Different"}) {
        auto logline = std::make_unique<Loglinedb>();
        logline->setLogline(QString::fromLatin1(text));
        story().logLines().push_back(std::move(logline));
    }
    std::unique_ptr<StoryReport> report = StoryReports::loglines(story());
    PdfProbe pdf = print(report);
    EXPECT_EQ(bodyText(pdf, *report), QStringLiteral("Twinned Different"));
    // With no current logline every logline is listed (and the header shows none).
    current->setCurrentLoglineFlag(0);
    report = StoryReports::loglines(story());
    pdf = print(report, QStringLiteral("none.pdf"));
    EXPECT_EQ(bodyText(pdf, *report), QStringLiteral("Twinned Twinned Different"));
    // A current logline too long for the header, which shows its first lines, is listed in full.
    current->setCurrentLoglineFlag(1);
    QStringList words;
    for (int index = 0; index < 300; ++index)
        words.append(QStringLiteral("w%1").arg(index, 3, 10, QLatin1Char('0')));
    current->setLogline(words.join(QLatin1Char(' ')));
    report = StoryReports::loglines(story());
    pdf = print(report, QStringLiteral("long.pdf"));
    EXPECT_EQ(bodyText(pdf, *report), words.join(QLatin1Char(' ')) + QStringLiteral(" Twinned Different"));
}

TEST_F(StoryReportsPdf, TheBeatSheetIsOnLetterPaperWithEveryBeatLabel)
{
    ASSERT_EQ(story().beats().size(), 15u);
    story().beats()[2]->setDescription(QStringLiteral("The hero says what the story is about."));
    const std::unique_ptr<StoryReport> report = StoryReports::beatSheet(story());
    const PdfProbe pdf = print(report);
    ASSERT_GE(pdf.pageCount(), 1);
    for (const QSizeF& size : pdf.pageSizes())
        EXPECT_EQ(size, QSizeF(612, 792));
    const QString text = pdf.text().replace(QLatin1Char('\n'), QLatin1Char(' '));
    qsizetype last = -1;
    for (const std::unique_ptr<Beatdb>& beat : story().beats()) {
        const QString label = story().boardSections().beatLabelForBeat(beat->beatNumber());
        SCOPED_TRACE(label.toStdString());
        const qsizetype at = text.indexOf(label);
        EXPECT_GT(at, last);
        last = at;
    }
    EXPECT_TRUE(text.contains(QStringLiteral("The hero says what the story is about.")));
}

TEST_F(StoryReportsPdf, BiographiesLabelEveryFieldAndShowEveryPicture)
{
    Characterdb& mara = addCharacter(QStringLiteral("mara"));
    mara.setGender(QStringLiteral("F"));
    mara.setAge(QStringLiteral("34"));
    mara.setWants(QStringLiteral("To cross the pass."));
    mara.setNeedsFixing3Notes(QStringLiteral("Only notes here."));
    attachPicture(mara, QStringLiteral("Map"), QStringLiteral("Where the cache is"), QColor(200, 0, 0));
    attachPicture(mara, QStringLiteral("Photo"), QStringLiteral("Her brother"), QColor(0, 0, 200));
    attachPicture(mara, QStringLiteral("Letter"), QString(), QColor(0, 200, 0));
    Characterdb& bram = addCharacter(QStringLiteral("Bram"));
    const std::unique_ptr<StoryReport> report = StoryReports::charactersBiography(story());
    const PdfProbe pdf = print(report, QStringLiteral("bios.pdf"));
    const QString text = bodyText(pdf, *report);
    // Sorted by name whatever the case, the story's own list untouched.
    EXPECT_LT(text.indexOf(QStringLiteral("Bram")), text.indexOf(QStringLiteral("mara")));
    EXPECT_EQ(story().characters().back().get(), &bram);
    for (const char* label : {"Gender:", "Age:", "Description:", "Wants:", "Needs:", "First Thing That Needs Fixing:",
                              "Third Thing That Needs Fixing:", "Sixth Thing That Needs Fixing:", "Notes:"}) {
        SCOPED_TRACE(label);
        EXPECT_EQ(text.count(QString::fromLatin1(label)), 2);
    }
    EXPECT_EQ(text.count(QStringLiteral("Attachments:")), 2);
    for (const char* value : {"To cross the pass.", "Only notes here.", "Map", "Where the cache is", "Her brother"})
        EXPECT_TRUE(text.contains(QString::fromLatin1(value))) << value;
    // Two generic character pictures and three attachment thumbnails.
    EXPECT_EQ(pictureCount(QStringLiteral("bios.pdf")), 2 + 3);
}

TEST_F(StoryReportsPdf, AttachmentThumbnailsNeverOverlap)
{
    Characterdb& mara = addCharacter(QStringLiteral("Mara"));
    for (const char* title : {"One", "Two", "Three", "Four"})
        attachPicture(mara, QString::fromLatin1(title), QString(), QColor(200, 0, 0));
    const std::unique_ptr<StoryReport> report = StoryReports::charactersBiography(story());
    std::vector<QRectF> pictures;
    for (const std::unique_ptr<ReportElement>& element : report->view().children())
        if (dynamic_cast<const ReportImageView*>(element.get()))
            pictures.push_back(element->frame());
    ASSERT_EQ(pictures.size(), 5u);
    for (std::size_t first = 0; first < pictures.size(); ++first)
        for (std::size_t second = first + 1; second < pictures.size(); ++second)
            EXPECT_FALSE(pictures[first].intersects(pictures[second])) << first << " and " << second;
}

TEST_F(StoryReportsPdf, ListsGiveEveryEntryAtLeastItsPictureHeight)
{
    for (const char* name : {"Zed", "ada", "Bo"})
        addCharacter(QString::fromLatin1(name));
    auto location = std::make_unique<SceneLocationdb>();
    location->setLocation(QStringLiteral("The Hut"));
    location->setDescription(QStringLiteral("One room, a stove, a radio."));
    story().sceneLocations().push_back(std::move(location));
    const std::unique_ptr<StoryReport> characters = StoryReports::charactersList(story());
    const PdfProbe pdf = print(characters, QStringLiteral("characters.pdf"));
    EXPECT_EQ(bodyText(pdf, *characters), QStringLiteral("ada Bo Zed"));
    // Each entry's name starts at least 36 points below the one before.
    const PdfProbe::Word* ada = pdf.find(QStringLiteral("ada"));
    const PdfProbe::Word* bo = pdf.find(QStringLiteral("Bo"));
    ASSERT_TRUE(ada && bo);
    EXPECT_GE(bo->box.top() - ada->box.top(), 36);
    EXPECT_EQ(pictureCount(QStringLiteral("characters.pdf")), 3);

    const std::unique_ptr<StoryReport> details = StoryReports::locationsDetails(story());
    const PdfProbe places = print(details, QStringLiteral("places.pdf"));
    EXPECT_EQ(bodyText(places, *details),
              QStringLiteral("The Hut Description: One room, a stove, a radio. Notes: Attachments:"));
}

TEST_F(StoryReportsPdf, SetupsAndPayoffsNameTheirPartnerOrSayThereIsNone)
{
    auto payoff = std::make_unique<ScenePayoffdb>();
    payoff->setScenePayoffID(7);
    payoff->setScenePayoff(QStringLiteral("The radio works"));
    story().scenePayoffs().push_back(std::move(payoff));
    auto lonelyPayoff = std::make_unique<ScenePayoffdb>();
    lonelyPayoff->setScenePayoffID(8);
    lonelyPayoff->setScenePayoff(QStringLiteral("Snow falls"));
    story().scenePayoffs().push_back(std::move(lonelyPayoff));
    const std::pair<const char*, std::int64_t> setups[] = {{"Radio fixed", 7}, {"Stove lit", 0}, {"Dangling", 99}};
    for (const auto& [text, payoffID] : setups) {
        auto setup = std::make_unique<SceneSetupdb>();
        setup->setSceneSetup(QString::fromLatin1(text));
        setup->setScenePayoffID(payoffID);
        story().sceneSetups().push_back(std::move(setup));
    }
    const std::unique_ptr<StoryReport> setupReport = StoryReports::setups(story());
    EXPECT_EQ(bodyText(print(setupReport, QStringLiteral("s.pdf")), *setupReport),
              QStringLiteral("Radio fixed The radio works Stove lit NO PAY-OFF Dangling NO PAY-OFF"));
    const std::unique_ptr<StoryReport> payoffReport = StoryReports::payoffs(story());
    EXPECT_EQ(bodyText(print(payoffReport, QStringLiteral("p.pdf")), *payoffReport),
              QStringLiteral("The radio works Radio fixed Snow falls NO SET-UP"));
}

TEST_F(StoryReportsPdf, NotesComeAfterAttachmentsByColourOnBoxesOfTheirColour)
{
    const std::tuple<const char*, std::int64_t, bool> items[] = {
        {"zebra", 3, false}, {"Apple", 3, false}, {"Blue", 5, false}, {"Clip", 5, true}, {"anchor", 3, true},
    };
    for (const auto& [title, colour, attachment] : items) {
        if (attachment) {
            auto item = std::make_unique<AttachedObjectdb>();
            item->setTitle(QString::fromLatin1(title));
            item->setColor(colour);
            item->insertIntoDatabase(&story());
            story().attachedObjects().push_back(std::move(item));
        } else {
            auto item = std::make_unique<StickyNotedb>();
            item->setTitle(QString::fromLatin1(title));
            item->setColor(colour);
            story().stickyNotes().push_back(std::move(item));
        }
    }
    const std::unique_ptr<StoryReport> all = StoryReports::generalNotes(story(), 0, &testPalette);
    const PdfProbe pdf = print(all, QStringLiteral("notes.pdf"));
    EXPECT_EQ(bodyText(pdf, *all), QStringLiteral("anchor Clip Apple zebra Blue"));
    // The story's own lists keep the order the report put them in.
    QStringList noteOrder;
    for (const auto& note : story().stickyNotes())
        noteOrder.append(note->title());
    EXPECT_EQ(noteOrder, (QStringList{QStringLiteral("Apple"), QStringLiteral("zebra"), QStringLiteral("Blue")}));
    ASSERT_EQ(story().attachedObjects().size(), 2u);
    EXPECT_EQ(story().attachedObjects().front()->title(), QStringLiteral("anchor"));

    // A box of colour 3 behind "Apple", just left of its text.
    const PdfProbe::Word* apple = pdf.find(QStringLiteral("Apple"));
    ASSERT_NE(apple, nullptr);
    const QImage page = pdf.render(1, 72);
    EXPECT_EQ(page.pixelColor(36, int(apple->box.center().y())), testPalette(3));
    const PdfProbe::Word* blue = pdf.find(QStringLiteral("Blue"));
    ASSERT_NE(blue, nullptr);
    EXPECT_EQ(page.pixelColor(36, int(blue->box.center().y())), testPalette(5));

    const std::unique_ptr<StoryReport> five = StoryReports::generalNotes(story(), 5, &testPalette);
    EXPECT_EQ(bodyText(print(five, QStringLiteral("five.pdf")), *five), QStringLiteral("Clip Blue"));
}
