#pragma once

#include "PdfProbe.h"
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
