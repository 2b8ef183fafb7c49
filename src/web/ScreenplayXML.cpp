#include "web/ScreenplayXML.h"

#include "model/Beatdb.h"
#include "model/ColorCodedb.h"
#include "model/DatabaseError.h"
#include "model/Loglinedb.h"
#include "model/SceneCarddb.h"
#include "model/ScenePayoffdb.h"
#include "model/SceneSetupdb.h"
#include "model/Screenplaydb.h"
#include "model/ScriptElementdb.h"
#include "model/ScriptPartdb.h"
#include "platform/Platform.h"

#include <QStringList>

#include <array>
#include <cstdint>
#include <stdexcept>

namespace {

constexpr std::size_t kMostColorCodes = 10;

// Why the text could not be written; shown as the alert's message.
class PreparingFailed : public std::runtime_error
{
public:
    explicit PreparingFailed(const QString& reason) : std::runtime_error(reason.toStdString()) {}
};

void alert(const QString& title, const QString& message)
{
    AlertRequest request;
    request.title = title;
    request.message = message;
    Platform::alerts().runAlert(request);
}

QString reasonOf(const std::exception& failure)
{
    if (const auto* database = dynamic_cast<const DatabaseError*>(&failure))
        return database->message();
    return QString::fromStdString(failure.what());
}

void element(QString& out, const QString& tag, const QString& value)
{
    out += QLatin1Char('<') + tag + QLatin1Char('>') + value + QLatin1String("</") + tag + QLatin1Char('>');
}

void element(QString& out, const QString& tag, std::int64_t value) { element(out, tag, QString::number(value)); }

QString colorLegend(Screenplaydb& story)
{
    QString legend = QStringLiteral("<COLORLEGEND>");
    const auto& codes = story.colorCodes();
    for (std::size_t i = 0; i < codes.size() && i < kMostColorCodes; ++i) {
        const ColorCodedb& code = *codes[i];
        legend += QLatin1String("<COLORCODE>");
        element(legend, QLatin1String("RED"), code.redValue());
        element(legend, QLatin1String("GREEN"), code.greenValue());
        element(legend, QLatin1String("BLUE"), code.blueValue());
        element(legend, QLatin1String("ALPHA"), code.alphaValue());
        legend += QLatin1String("</COLORCODE>");
    }
    return legend + QLatin1String("</COLORLEGEND>");
}

// How a script paragraph of each element type is written as a line of the SCRIPT value.
class ScriptLines
{
public:
    explicit ScriptLines(const Screenplaydb& story)
    {
        const std::array<std::pair<const char*, Family>, 9> types{{
            {"Character", Family::Character},
            {"DDL-Character", Family::Character},
            {"DDR-Character", Family::Character},
            {"Parenthetical", Family::Parenthetical},
            {"DDL-Parenthetical", Family::Parenthetical},
            {"DDR-Parenthetical", Family::Parenthetical},
            {"Dialogue", Family::Dialogue},
            {"DDL-Dialogue", Family::Dialogue},
            {"DDR-Dialogue", Family::Dialogue},
        }};
        for (const auto& [name, family] : types) {
            if (const ScriptElementdb* type = story.elementForElementType(QLatin1String(name)))
                ids_.push_back({type->scriptElementID(), family});
        }
    }

    QString lineFor(const ScriptPartdb& part) const
    {
        const QString& text = part.scriptText();
        switch (familyOf(part.elementTypeID())) {
        case Family::Character:
            return QLatin1Char('-') + text + QLatin1Char('\n');
        case Family::Parenthetical:
            return QLatin1String("--") + afterFirstLineBreak(text) + QLatin1Char('\n');
        case Family::Dialogue:
            return QLatin1String("--") + afterFirstLineBreak(text) + QLatin1String("\n\n");
        case Family::Other:
            break;
        }
        return text + QLatin1String("\n\n");
    }

private:
    enum class Family { Character, Parenthetical, Dialogue, Other };

    Family familyOf(std::int64_t elementTypeID) const
    {
        for (const auto& [id, family] : ids_) {
            if (id == elementTypeID)
                return family;
        }
        return Family::Other;
    }

    static QString afterFirstLineBreak(const QString& text)
    {
        const qsizetype lineBreak = text.indexOf(QLatin1Char('\n'));
        return lineBreak < 0 ? text : text.mid(lineBreak + 1);
    }

    std::vector<std::pair<std::int64_t, Family>> ids_;
};

void sceneCard(QString& out, SceneCarddb& card, const ScriptLines& lines, bool onBoard)
{
    out += QLatin1String("<SCENECARD>");
    element(out, QLatin1String("SCENECARDID"), card.sceneCardID());
    element(out, QLatin1String("HEADING"), card.heading());
    element(out, QLatin1String("DESCRIPTION"), card.description());
    element(out, QLatin1String("NOTES"), card.notes());
    element(out, QLatin1String("EMOTIONALCHANGE"), card.emotionalChange());
    element(out, QLatin1String("CONFLICT"), card.conflict());
    element(out, QLatin1String("PAGENUMBER"), card.pageNumber());
    element(out, QLatin1String("POSITIONLEFT"), card.positionLeft());
    element(out, QLatin1String("POSITIONTOP"), card.positionTop());
    // The phone lays cards out at the board's unzoomed card width.
    element(out, QLatin1String("POSITIONWIDTH"), QStringLiteral("248"));
    element(out, QLatin1String("COLORKEY"), card.colorLegend1ID());
    element(out, QLatin1String("COLORKEY2"), card.colorLegend2ID());
    element(out, QLatin1String("COLORKEY3"), card.colorLegend3ID());
    element(out, QLatin1String("COLORKEY4"), card.colorLegend4ID());
    element(out, QLatin1String("COLORKEY5"), card.colorLegend5ID());
    element(out, QLatin1String("COLORKEY6"), card.colorLegend6ID());
    element(out, QLatin1String("POSITIONPERCENTAGE"),
            QString::asprintf("%f", static_cast<double>(card.percentageHorizontal())));
    card.loadScriptParts();
    QString script;
    for (const auto& part : card.scriptParts())
        script += lines.lineFor(*part);
    element(out, QLatin1String("SCRIPT"), script);
    element(out, QLatin1String("ONBOARD"), QLatin1String(onBoard ? "1" : "0"));
    out += QLatin1String("</SCENECARD>");
}

QString storyText(Screenplaydb& story, const QString& version, const QString& legend)
{
    const Loglinedb* logline = story.currentLogline();
    if (logline == nullptr)
        throw PreparingFailed(QStringLiteral("The story has no current logline."));

    QString out = QStringLiteral("<SCREENPLAY><PLATFORM>MAC</PLATFORM>");
    element(out, QLatin1String("VERSION"), version);
    for (const char* owner : {"OWNERSERIALNUMBER", "OWNERFIRSTNAME", "OWNERLASTNAME", "RETURNDESTINATION", "REVIEWTYPE"})
        element(out, QLatin1String(owner), QString());
    out += legend;
    element(out, QLatin1String("TITLE"), story.screenplayTitle());
    element(out, QLatin1String("LOGLINE"), logline->logline());
    element(out, QLatin1String("GENRE"), story.genre());
    element(out, QLatin1String("FORMWIDTH"), story.parentWindowWidth());
    for (const auto& beat : story.beats())
        element(out, QLatin1String("BEAT") + QString::number(beat->beatNumber()), beat->description());
    element(out, QLatin1String("PAGECOUNT"), story.pageCount());

    const ScriptLines lines(story);
    out += QLatin1String("<SCENECARDS>");
    for (const auto& card : story.sceneCards())
        sceneCard(out, *card, lines, true);
    for (const auto& card : story.litterBox())
        sceneCard(out, *card, lines, false);
    out += QLatin1String("</SCENECARDS><SETUPS>");
    for (const auto& setup : story.sceneSetups()) {
        if (setup->sceneCardID() <= 0)
            continue;
        out += QLatin1String("<SETUP>");
        element(out, QLatin1String("SCENESETUPID"), setup->sceneSetupID());
        element(out, QLatin1String("SCENECARDID"), setup->sceneCardID());
        element(out, QLatin1String("SCENESETUP"), setup->sceneSetup());
        element(out, QLatin1String("PAYOFFID"), setup->scenePayoffID());
        out += QLatin1String("</SETUP>");
    }
    out += QLatin1String("</SETUPS><PAYOFFS>");
    for (const auto& payoff : story.scenePayoffs()) {
        if (payoff->sceneCardID() <= 0)
            continue;
        out += QLatin1String("<PAYOFF>");
        element(out, QLatin1String("SCENEPAYOFFID"), payoff->scenePayoffID());
        element(out, QLatin1String("SCENECARDID"), payoff->sceneCardID());
        element(out, QLatin1String("SCENEPAYOFF"), payoff->scenePayoff());
        out += QLatin1String("</PAYOFF>");
    }
    return out + QLatin1String("</PAYOFFS></SCREENPLAY>");
}

} // namespace

namespace ScreenplayXML {

QString createScreenplayXMLFor(Screenplaydb& story, const QString& version)
{
    QString legend;
    try {
        legend = colorLegend(story);
    } catch (const std::exception& failure) {
        legend.clear();
        alert(QStringLiteral("Upload Error Preparing Color Legend"),
              reasonOf(failure)
                  + QStringLiteral("\n\nUnable to include color settings but will proceed with rest of screenplay "
                                   "information."));
    }
    try {
        return storyText(story, version, legend);
    } catch (const std::exception& failure) {
        alert(QStringLiteral("Upload Error Preparing File"), reasonOf(failure));
        return {};
    }
}

} // namespace ScreenplayXML
