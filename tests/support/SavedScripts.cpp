#include "SavedScripts.h"

#include <algorithm>
#include <cstdint>

namespace SavedScripts {

namespace {

QString escaped(const QString& text)
{
    return text.toHtmlEscaped();
}

QString textRun(const QString& text, const QString& style = QString())
{
    const QString styleAttribute = style.isEmpty() ? QString() : QStringLiteral(" Style=\"%1\"").arg(style);
    return QStringLiteral("      <Text%1>%2</Text>\n").arg(styleAttribute, escaped(text));
}

QString elementSettings(const char* type, const char* left, const char* right, const char* spaceBefore,
                        const char* alignment = "Left")
{
    return QStringLiteral("  <ElementSettings Type=\"%1\">\n"
                          "    <FontSpec AdornmentStyle=\"0\" Background=\"#FFFFFFFFFFFF\" Color=\"#000000000000\" "
                          "Font=\"Courier Final Draft\" RevisionID=\"0\" Size=\"12\" Style=\"\"/>\n"
                          "    <ParagraphSpec Alignment=\"%2\" FirstIndent=\"0.00\" Leading=\"Regular\" "
                          "LeftIndent=\"%3\" RightIndent=\"%4\" SpaceBefore=\"%5\" Spacing=\"1\" "
                          "StartsNewPage=\"No\"/>\n"
                          "    <Behavior PaginateAs=\"%1\" ReturnKey=\"Action\" Shortcut=\"1\"/>\n"
                          "  </ElementSettings>\n")
        .arg(QString::fromLatin1(type), QString::fromLatin1(alignment), QString::fromLatin1(left),
             QString::fromLatin1(right), QString::fromLatin1(spaceBefore));
}

// A small generator of our own, so the feature is the same on every run and every machine.
class Dice
{
public:
    int below(int count)
    {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<int>((state_ >> 33) % static_cast<std::uint64_t>(count));
    }

private:
    std::uint64_t state_ = 20261207;
};

const QStringList& featureCast()
{
    static const QStringList kCast = {
        "MARA", "OLLIE", "JUNE", "DR. VOSS", "THE CAPTAIN", "KIT", "RAMÓN", "ELSIE", "ZOË", "BENEDIKT",
        "SALLY-ANN", "MR. ABERNATHY", "GUARD #1", "TOMÁS", "NURSE", "HARBOUR MASTER", "LITTLE SAM", "AUNT RUTH",
    };
    return kCast;
}

const QStringList& sentences()
{
    static const QStringList kSentences = {
        QString::fromUtf8("Rain ticks on the glass."),
        QString::fromUtf8("The lamp swings once, twice \u2014 then holds."),
        QString::fromUtf8("Somewhere below, a door slams and the whole building shudders."),
        QString::fromUtf8("She reads the note again: \u201CDon\u2019t come back.\u201D"),
        QString::fromUtf8("The caf\u00E9 across the quay is still lit, its sign flickering D\u00C9J\u00C0 VU."),
        QString::fromUtf8("Gulls wheel over the harbour wall."),
        QString::fromUtf8("He pockets the key without a word and turns to the window, where the tide is "
                          "already coming in over the lower steps."),
        QString::fromUtf8("Nobody moves."),
    };
    return kSentences;
}

const QStringList& spokenLines()
{
    static const QStringList kLines = {
        QString::fromUtf8("We were never meant to stay here this long."),
        QString::fromUtf8("Not now."),
        QString::fromUtf8("You said that last winter \u2014 and the one before."),
        QString::fromUtf8("If the boat isn\u2019t in by six, we go without it. All of us. I mean it this time, "
                          "so don\u2019t look at me like that."),
        QString::fromUtf8("\u201CHome,\u201D she says. Whose home?"),
        QString::fromUtf8("Fine."),
    };
    return kLines;
}

} // namespace

QString nineLetterWords(int count)
{
    static const QStringList kWords = {"carefully", "gathering", "lightning", "afternoon",
                                       "shoulders", "something", "whispered", "staircase"};
    QStringList text;
    for (int index = 0; index < count; ++index)
        text << kWords.at(index % kWords.size());
    return text.join(QLatin1Char(' '));
}

QString paragraph(const QString& type, const QString& text)
{
    return QStringLiteral("    <Paragraph Type=\"%1\">\n").arg(type) + textRun(text) +
           QStringLiteral("    </Paragraph>\n");
}

QString paragraphInRuns(const QString& type, const QStringList& runs)
{
    QString text;
    for (qsizetype index = 0; index < runs.size(); ++index)
        text += textRun(runs.at(index), index % 2 == 1 ? QStringLiteral("Italic") : QString());
    return QStringLiteral("    <Paragraph Type=\"%1\">\n").arg(type) + text + QStringLiteral("    </Paragraph>\n");
}

QString heading(const QString& text, const QString& number)
{
    const QString numberAttribute = number.isEmpty() ? QString() : QStringLiteral(" Number=\"%1\"").arg(number);
    return QStringLiteral("    <Paragraph%1 Type=\"Scene Heading\">\n").arg(numberAttribute) + textRun(text) +
           QStringLiteral("    </Paragraph>\n");
}

QString afterPageBreak(const QString& paragraph)
{
    QString broken = paragraph;
    return broken.replace(broken.indexOf(QLatin1StringView("<Paragraph")), 10,
                          QStringLiteral("<Paragraph StartsNewPage=\"Yes\""));
}

QString dualDialogue(const QStringList& entries)
{
    QString block = QStringLiteral("    <Paragraph>\n      <DualDialogue>\n");
    for (const QString& entry : entries) {
        const qsizetype bar = entry.indexOf(QLatin1Char('|'));
        block += QStringLiteral("        <Paragraph Type=\"%1\">\n  ").arg(entry.left(bar)) +
                 textRun(entry.mid(bar + 1)) + QStringLiteral("        </Paragraph>\n");
    }
    return block + QStringLiteral("      </DualDialogue>\n    </Paragraph>\n");
}

QByteArray file(const QString& paragraphs, int lockedPages)
{
    QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?>\n"
                                  "<FinalDraft DocumentType=\"Script\" Template=\"No\" Version=\"4\">\n\n"
                                  "  <Content>\n") +
                   paragraphs + QStringLiteral("  </Content>\n\n");
    // The title page's paragraphs carry no type, and its page breaks are its own; they are not the
    // script.
    text += QStringLiteral(
        "  <TitlePage>\n    <Content>\n"
        "      <Paragraph Alignment=\"Center\" FirstIndent=\"0.00\" Leading=\"Regular\" LeftIndent=\"1.00\" "
        "RightIndent=\"7.50\" SpaceBefore=\"0\" Spacing=\"1\" StartsNewPage=\"No\">\n"
        "        <Text>HARBOUR LIGHTS</Text>\n      </Paragraph>\n"
        "      <Paragraph Alignment=\"Center\" FirstIndent=\"0.00\" Leading=\"Regular\" LeftIndent=\"1.00\" "
        "RightIndent=\"7.50\" SpaceBefore=\"12\" Spacing=\"1\" StartsNewPage=\"Yes\">\n"
        "        <Text>Written by</Text>\n      </Paragraph>\n"
        "      <Paragraph Type=\"Action\">\n        <Text>Title page text that is no scene</Text>\n"
        "      </Paragraph>\n"
        "    </Content>\n  </TitlePage>\n\n");
    text += elementSettings("General", "1.50", "7.50", "0") + elementSettings("Scene Heading", "1.50", "7.50", "24") +
            elementSettings("Action", "1.50", "7.50", "12") + elementSettings("Character", "3.50", "7.25", "12") +
            elementSettings("Parenthetical", "3.00", "5.50", "0") + elementSettings("Dialogue", "2.50", "6.00", "0") +
            elementSettings("Transition", "5.50", "7.10", "12", "Right") +
            elementSettings("Shot", "1.50", "7.50", "12") + elementSettings("New Act", "1.50", "7.50", "0", "Center") +
            elementSettings("End of Act", "1.50", "7.50", "24", "Center");
    text += QStringLiteral(
        "  <HeaderAndFooter FooterFirstPage=\"Yes\" FooterVisible=\"No\" HeaderFirstPage=\"No\" HeaderVisible=\"Yes\" "
        "StartingPage=\"1\">\n"
        "    <Header>\n      <Paragraph Alignment=\"Right\" FirstIndent=\"0.00\" Leading=\"Regular\" "
        "LeftIndent=\"1.25\" RightIndent=\"-1.25\" SpaceBefore=\"0\" Spacing=\"1\" StartsNewPage=\"No\">\n"
        "        <Text>Header text</Text>\n        <DynamicLabel Type=\"Page #\"/>\n        <Text>.</Text>\n"
        "      </Paragraph>\n    </Header>\n"
        "    <Footer>\n      <Paragraph Type=\"Action\">\n        <Text>Footer text</Text>\n      </Paragraph>\n"
        "    </Footer>\n  </HeaderAndFooter>\n\n"
        "  <PageLayout BackgroundColor=\"#FFFFFFFFFFFF\" BottomMargin=\"72\" BreakDialogueAndActionAtSentences=\"Yes\" "
        "DocumentLeading=\"Normal\" FooterMargin=\"36\" ForegroundColor=\"#000000000000\" HeaderMargin=\"36\" "
        "InvisiblesColor=\"#808080808080\" TopMargin=\"72\" UsesSmartQuotes=\"Yes\">\n"
        "    <AutoCastList AddParentheses=\"Yes\" AutomaticallyGenerate=\"Yes\" CastListElement=\"Cast List\"/>\n"
        "  </PageLayout>\n\n"
        "  <SmartType>\n    <Characters/>\n"
        "    <Extensions>\n      <Extension>(V.O.)</Extension>\n      <Extension>(O.S.)</Extension>\n"
        "      <Extension>(CONT'D)</Extension>\n    </Extensions>\n"
        "    <SceneIntros Separator=\". \">\n      <SceneIntro>INT</SceneIntro>\n      <SceneIntro>EXT</SceneIntro>\n"
        "      <SceneIntro>INT./EXT</SceneIntro>\n    </SceneIntros>\n"
        "    <Locations/>\n"
        "    <TimesOfDay Separator=\" - \">\n      <TimeOfDay>DAY</TimeOfDay>\n      <TimeOfDay>NIGHT</TimeOfDay>\n"
        "    </TimesOfDay>\n"
        "    <Transitions>\n      <Transition>CUT TO:</Transition>\n      <Transition>FADE OUT.</Transition>\n"
        "    </Transitions>\n  </SmartType>\n\n"
        "  <MoresAndContinueds>\n"
        "    <FontSpec AdornmentStyle=\"0\" Background=\"#FFFFFFFFFFFF\" Color=\"#000000000000\" "
        "Font=\"Courier Final Draft\" RevisionID=\"0\" Size=\"12\" Style=\"\"/>\n"
        "    <DialogueBreaks AutomaticCharacterContinueds=\"Yes\" BottomOfPage=\"Yes\" DialogueBottom=\"(MORE)\" "
        "DialogueTop=\"(CONT'D)\" TopOfNext=\"Yes\"/>\n"
        "    <SceneBreaks ContinuedNumber=\"No\" SceneBottom=\"(CONTINUED)\" SceneBottomOfPage=\"No\" "
        "SceneTop=\"CONTINUED:\" SceneTopOfNext=\"No\"/>\n"
        "  </MoresAndContinueds>\n");
    text += QStringLiteral("  <LockedPages>\n");
    for (int page = 1; page <= lockedPages; ++page)
        text += QStringLiteral("    <LockedPage PageNumber=\"%1\" Position=\"%2\"/>\n")
                    .arg(page)
                    .arg(page * 2311 % 977);
    text += QStringLiteral("  </LockedPages>\n</FinalDraft>\n");
    return text.toUtf8();
}

QByteArray shortScript()
{
    const auto u = [](const char* text) { return QString::fromUtf8(text); };
    const QString content =
        paragraph(u("Action"), u("FADE IN:")) + paragraph(u("New Act"), u("ACT ONE")) +
        heading(u("INT. HARBOUR MASTER\u2019S OFFICE \u2013 NIGHT"), u("1")) +
        paragraph(u("Action"), u("Rain ticks on the glass. MARA (40s), soaked, counts coins on the desk.")) +
        paragraph(u("Character"), u("MARA")) + paragraph(u("Parenthetical"), u("(to herself)")) +
        paragraph(u("Dialogue"), u("Twelve\u2026 no, eleven.")) + paragraph(u("Character"), u("OLLIE (O.S.)")) +
        paragraph(u("Dialogue"), u("\u201CMara?\u201D Is that you \u2014 again?")) + paragraph(u("Action"), QString()) +
        paragraph(u("Transition"), u("CUT TO:")) + heading(u("EXT. QUAY \u2013 CONTINUOUS"), u("2")) +
        paragraphInRuns(u("Action"), {u("The "), u("caf\u00E9"), u(" sign flickers: D\u00C9J\u00C0 VU.")}) +
        dualDialogue({u("Character|MARA"), u("Dialogue|Now!"), u("Character|OLLIE (CONT'D)"),
                      u("Parenthetical|(shouting)"), u("Dialogue|Not yet!")}) +
        paragraph(u("Character"), u("Zo\u00EB (V.O.)")) + paragraph(u("Dialogue"), u("They never listen.")) +
        paragraph(u("End of Act"), u("END OF ACT ONE")) + paragraph(u("New Act"), u("ACT TWO")) +
        heading(u("INT. LIGHTHOUSE \u2013 DAY"), u("3")) + paragraph(u("Shot"), u("ANGLE ON the stairs.")) +
        paragraph(u("Character"), u("ZO\u00CB")) + paragraph(u("Dialogue"), u("Forty-two steps.")) +
        heading(u("INT. LIGHTHOUSE \u2013 LAMP ROOM \u2013 DAY"), u("4")) + paragraph(u("Character"), u("DR. VOSS")) +
        paragraph(u("Dialogue"), u("Mind the lens.")) + paragraph(u("Character"), u("mara")) +
        paragraph(u("Dialogue"), u("Sorry.")) + heading(u("EXT. CLIFF \u2013 DUSK"), u("5A")) +
        paragraph(u("Action"), u("The light turns.")) + paragraph(u("End of Act"), u("END OF ACT TWO"));
    return file(content, 4);
}

QStringList shortScriptCast()
{
    return {"MARA", "OLLIE", QString::fromUtf8("ZO\u00CB"), "DR. VOSS"};
}

QByteArray featureScript(int lockedPages)
{
    Dice dice;
    const QStringList& cast = featureCast();
    const QStringList places = {"HARBOUR MASTER\u2019S OFFICE", "QUAY", "LIGHTHOUSE", "LIGHTHOUSE \u2013 LAMP ROOM",
                                "CAF\u00C9 D\u00C9J\u00C0 VU", "FERRY", "CLIFF PATH", "MARA\u2019S FLAT"};
    const QStringList extensions = {" (V.O.)", " (O.S.)", " (CONT'D)"};
    constexpr int kScenes = 150;
    QString content = paragraph(QStringLiteral("Action"), QStringLiteral("FADE IN:"));
    // Speakers enter in cast order over the first scenes, then any of them speaks.
    int entered = 0;
    for (int scene = 0; scene < kScenes; ++scene) {
        if (scene == 50 || scene == 110) {
            content += paragraph(QStringLiteral("End of Act"), scene == 50 ? QStringLiteral("END OF ACT ONE")
                                                                           : QStringLiteral("END OF ACT TWO"));
            content += paragraph(QStringLiteral("New Act"),
                                 scene == 50 ? QStringLiteral("ACT TWO") : QStringLiteral("ACT THREE"));
        }
        content += heading(QStringLiteral("%1. %2 \u2013 %3")
                               .arg(dice.below(3) == 0 ? QStringLiteral("EXT") : QStringLiteral("INT"),
                                    places.at(dice.below(static_cast<int>(places.size()))),
                                    dice.below(2) == 0 ? QStringLiteral("DAY") : QStringLiteral("NIGHT")));
        const int actions = 1 + dice.below(3);
        for (int index = 0; index < actions; ++index) {
            QString text;
            const int length = 1 + dice.below(4);
            for (int sentence = 0; sentence < length; ++sentence)
                text += (sentence ? QStringLiteral(" ") : QString()) +
                        sentences().at(dice.below(static_cast<int>(sentences().size())));
            content += paragraph(QStringLiteral("Action"), text);
        }
        const int exchanges = 3 + dice.below(5);
        for (int exchange = 0; exchange < exchanges; ++exchange) {
            if (entered < cast.size() && dice.below(2) == 0)
                ++entered;
            const QString& speaker = cast.at(dice.below(std::max(2, entered)));
            const int extension = dice.below(8);
            content += paragraph(QStringLiteral("Character"),
                                 extension < 3 ? speaker + extensions.at(extension) : speaker);
            if (dice.below(4) == 0)
                content += paragraph(QStringLiteral("Parenthetical"), QStringLiteral("(beat)"));
            const QString& line = spokenLines().at(dice.below(static_cast<int>(spokenLines().size())));
            content += paragraph(QStringLiteral("Dialogue"), line);
            if (dice.below(3) == 0)
                content += paragraph(QStringLiteral("Action"), sentences().at(dice.below(4)));
        }
        if (scene % 15 == 7)
            content += dualDialogue({QStringLiteral("Character|") + cast.at(0), QStringLiteral("Dialogue|Now!"),
                                     QStringLiteral("Character|") + cast.at(1), QStringLiteral("Parenthetical|(loud)"),
                                     QStringLiteral("Dialogue|Not yet!")});
        if (dice.below(4) == 0)
            content += paragraph(QStringLiteral("Transition"), QStringLiteral("CUT TO:"));
    }
    content += paragraph(QStringLiteral("Transition"), QStringLiteral("FADE OUT."));
    return file(content, lockedPages);
}

QStringList featureScriptCast()
{
    return featureCast();
}

} // namespace SavedScripts
