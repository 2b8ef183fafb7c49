#pragma once

#include "PdfProbe.h"
#include "model/SceneCarddb.h"
#include "model/ScriptElementdb.h"
#include "model/ScriptPartdb.h"
#include "platform/FakePlatform.h"
#include "reports/ReportPainter.h"
#include "reports/StoryReport.h"
#include "support/QtPrinting.h"
#include "support/StoryFixtures.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

// A new story with the platform's stand-ins (the clock says 01/01/2020), and printing of its
// reports to PDF files in a temporary folder that are read back.
class ReportFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder_.isValid());
        fakes_ = FakePlatform::install(folder_.path());
    }

    Screenplaydb& story() { return story_.story(); }

    // A card stored in the story, on the board (1) or in the Litter Box (2).
    SceneCarddb& addCard(const QString& heading, std::int64_t onBoard = 1, std::int64_t beat = 1)
    {
        auto card = std::make_unique<SceneCarddb>();
        card->setHeading(heading);
        card->setOnBoard(onBoard);
        card->setCurrentBeatSection(beat);
        card->setPercentageHorizontal(float(story().sceneCards().size()) / 100);
        card->insertIntoDatabase(&story());
        auto& list = onBoard == 1 ? story().sceneCards() : story().litterBox();
        list.push_back(std::move(card));
        return *list.back();
    }

    // A script paragraph of the element named `element` at the end of the card's script.
    void addPart(SceneCarddb& card, const char* element, const QString& text)
    {
        const ScriptElementdb* format = story().elementForElementType(QString::fromLatin1(element));
        ASSERT_NE(format, nullptr) << element;
        auto part = std::make_unique<ScriptPartdb>();
        part->setSceneCardID(card.sceneCardID());
        part->setSortOrder(std::int64_t(card.scriptParts().size()) + 1);
        part->setElementTypeID(format->scriptElementID());
        part->setScriptText(text);
        card.scriptParts().push_back(std::move(part));
    }

    // Writes the finished report as `name` and reads it back.
    PdfProbe print(const PrintedReport& report, const QString& name = QStringLiteral("report.pdf"))
    {
        const QString path = folder_.filePath(name);
        const PrintResult result = ReportPainter::writePdf(report.pages(), report.title(), path);
        EXPECT_EQ(result.outcome, PrintResult::Printed) << result.message.toStdString();
        PdfProbe probe(path);
        EXPECT_TRUE(probe.ok()) << probe.error().toStdString();
        return probe;
    }
    template <typename Report>
    PdfProbe print(const std::unique_ptr<Report>& report, const QString& name = QStringLiteral("report.pdf"))
    {
        return print(*report, name);
    }

    QTemporaryDir folder_;
    FakePlatform fakes_;
    NewStory story_;
};
