// The story's board written as a Final Draft 8/9 script: one paragraph per scene heading and
// per script paragraph, dual dialogue in "General" paragraphs, and the smart-type lists of the
// story's characters and locations and of the extensions, transitions and times of day met on
// the way. A scene's paragraphs that stood before its heading in an imported script (a
// "Scene Heading" paragraph holding the card's heading marks the heading's place) are written
// before the heading again.
#include "XMLTextFilter.h"
#include "model/Characterdb.h"
#include "model/RecordSorting.h"
#include "model/SceneCarddb.h"
#include "model/SceneLocationdb.h"
#include "model/Screenplaydb.h"
#include "model/ScriptElementdb.h"
#include "model/ScriptPartdb.h"
#include "model/Toolkit.h"

#include <QSaveFile>
#include <QXmlStreamWriter>

#include <algorithm>
#include <array>

namespace {

// Entries of a list that holds each text once, in order of first appearance.
class DistinctList
{
public:
    void add(const QString& text)
    {
        if (std::find(entries_.begin(), entries_.end(), text) == entries_.end())
            entries_.push_back(text);
    }
    const std::vector<QString>& entries() const { return entries_; }

private:
    std::vector<QString> entries_;
};

// A character cue's extension: from the first "(" at or after the third character to the end.
QString characterExtension(const QString& cue)
{
    if (cue.size() < 3)
        return QString();
    const qsizetype bracket = cue.indexOf(QLatin1Char('('), 2);
    return bracket < 0 ? QString() : cue.mid(bracket);
}

// The time of day of a scene heading: after its last "-", in capitals.
QString timeOfDay(const QString& heading)
{
    const QString upper = heading.toUpper();
    const qsizetype dash = upper.lastIndexOf(QLatin1Char('-'));
    if (dash < 0)
        return QString();
    QStringView rest = QStringView(upper).mid(dash + 1);
    while (!rest.isEmpty() && (rest.front() == QLatin1Char(' ') || rest.front() == QLatin1Char('\t')))
        rest = rest.mid(1);
    while (!rest.isEmpty() && (rest.back() == QLatin1Char(' ') || rest.back() == QLatin1Char('\t')))
        rest.chop(1);
    return rest.toString();
}

class ScriptWriter
{
public:
    ScriptWriter(Screenplaydb& story, QIODevice* device)
        : story_(story)
        , xml_(device)
    {
        xml_.setAutoFormatting(true);
    }

    void write()
    {
        xml_.writeStartDocument(QStringLiteral("1.0"), true);
        xml_.writeStartElement(QStringLiteral("FinalDraft"));
        xml_.writeAttribute(QStringLiteral("DocumentType"), QStringLiteral("Script"));
        xml_.writeAttribute(QStringLiteral("Version"), QStringLiteral("1"));
        writeContent();
        writeSmartType();
        xml_.writeEndElement();
        xml_.writeEndDocument();
    }

    bool failed() const { return xml_.hasError(); }

private:
    QString elementTypeOf(const ScriptPartdb& part) const
    {
        const ScriptElementdb* element = story_.elementForElementID(part.elementTypeID());
        return element ? element->elementType() : QString();
    }

    void textElement(const QString& name, const QString& text)
    {
        xml_.writeTextElement(name, XMLTextFilter::allowedText(text));
    }

    void plainParagraph(const QString& type, const QString& text)
    {
        xml_.writeStartElement(QStringLiteral("Paragraph"));
        xml_.writeAttribute(QStringLiteral("Type"), type);
        textElement(QStringLiteral("Text"), text);
        xml_.writeEndElement();
    }

    void characterParagraph(const QString& text)
    {
        plainParagraph(QStringLiteral("Character"), text);
        const QString extension = characterExtension(text);
        if (!extension.isEmpty())
            extensions_.add(extension);
    }

    void writeContent()
    {
        xml_.writeStartElement(QStringLiteral("Content"));
        sortRecords(story_.sceneCards(), &SceneCarddb::sortByLocation);
        for (const auto& card : story_.sceneCards()) {
            if (card->onBoard() != 1)
                continue;
            card->loadScriptParts();
            if (holdsNoScript(*card)) {
                writeSceneHeading(*card);
                continue;
            }
            const auto& parts = card->scriptParts();
            const std::size_t headingPlace = headingPlaceAmong(*card);
            for (std::size_t index = 0; index < parts.size(); ++index) {
                if (index == headingPlace)
                    writeSceneHeading(*card);
                writePart(parts, index);
            }
            if (headingPlace >= parts.size())
                writeSceneHeading(*card);
        }
        xml_.writeEndElement();
    }

    // A scene nobody has written yet: the one empty action paragraph every new card starts
    // with is no blank line of a script. (Empty actions among other paragraphs are.)
    bool holdsNoScript(const SceneCarddb& card) const
    {
        const auto& parts = card.scriptParts();
        return parts.empty() || (parts.size() == 1 && parts.front()->scriptText().isEmpty() &&
                                 elementTypeOf(*parts.front()) == QLatin1StringView("Action"));
    }

    // Where the card's heading stands among its script paragraphs: at the "Scene Heading"
    // paragraph holding the same text, or first.
    std::size_t headingPlaceAmong(const SceneCarddb& card) const
    {
        const auto& parts = card.scriptParts();
        for (std::size_t index = 0; index < parts.size(); ++index)
            if (parts[index]->scriptText() == card.heading() &&
                elementTypeOf(*parts[index]) == QLatin1StringView("Scene Heading"))
                return index;
        return 0;
    }

    void writeSceneHeading(const SceneCarddb& card)
    {
        xml_.writeStartElement(QStringLiteral("Paragraph"));
        xml_.writeAttribute(QStringLiteral("Type"), QStringLiteral("Scene Heading"));
        if (!card.sceneNumber().isEmpty())
            xml_.writeAttribute(QStringLiteral("Number"), XMLTextFilter::allowedText(card.sceneNumber()));
        xml_.writeStartElement(QStringLiteral("SceneProperties"));
        xml_.writeAttribute(QStringLiteral("Page"), QString::number(card.pageNumber()));
        const QString& description = card.description();
        if (!description.isEmpty() && description != QLatin1StringView("Scene Description"))
            xml_.writeAttribute(QStringLiteral("Title"), XMLTextFilter::allowedText(description));
        xml_.writeEndElement();
        textElement(QStringLiteral("Text"), card.heading());
        xml_.writeEndElement();
        const QString time = timeOfDay(card.heading());
        if (!time.isEmpty())
            timesOfDay_.add(time);
    }

    void writePart(const std::vector<std::unique_ptr<ScriptPartdb>>& parts, std::size_t index)
    {
        const ScriptPartdb& part = *parts[index];
        const QString type = elementTypeOf(part);
        if (type == QLatin1StringView("Action") || type == QLatin1StringView("New Act") ||
            type == QLatin1StringView("End of Act") || type == QLatin1StringView("Teaser")) {
            // An empty action stays: it is a blank line of the script.
            plainParagraph(type, part.scriptText());
        } else if (type == QLatin1StringView("Character")) {
            characterParagraph(part.scriptText());
        } else if (type == QLatin1StringView("Parenthetical") || type == QLatin1StringView("Dialogue")) {
            plainParagraph(type, part.scriptText());
        } else if (type == QLatin1StringView("Transition")) {
            transitions_.add(part.scriptText());
            plainParagraph(type, part.scriptText());
        } else if (type == QLatin1StringView("DDL-Character")) {
            writeDualDialogue(parts, index);
        }
    }

    // The dual-dialogue block that a left speaker's cue opens: the parts that follow it, taken
    // in the order left parenthetical, left dialogue, right cue, right parenthetical, right
    // dialogue, each optional; the right speaker's lines only after the right cue.
    void writeDualDialogue(const std::vector<std::unique_ptr<ScriptPartdb>>& parts, std::size_t start)
    {
        struct Step {
            const char* elementType;
            const char* paragraphType;
        };
        static constexpr std::array<Step, 5> kPattern = {{
            {"DDL-Parenthetical", "Parenthetical"},
            {"DDL-Dialogue", "Dialogue"},
            {"DDR-Character", "Character"},
            {"DDR-Parenthetical", "Parenthetical"},
            {"DDR-Dialogue", "Dialogue"},
        }};
        constexpr std::size_t kRightCue = 2;
        xml_.writeStartElement(QStringLiteral("Paragraph"));
        xml_.writeAttribute(QStringLiteral("Type"), QStringLiteral("General"));
        xml_.writeStartElement(QStringLiteral("DualDialogue"));
        characterParagraph(parts[start]->scriptText());
        std::size_t next = 0;
        bool rightCueSeen = false;
        for (std::size_t index = start + 1; index < parts.size(); ++index) {
            const QString type = elementTypeOf(*parts[index]);
            std::size_t step = next;
            while (step < kPattern.size() && type != QLatin1StringView(kPattern[step].elementType))
                ++step;
            if (step == kPattern.size() || (step > kRightCue && !rightCueSeen))
                break;
            if (step == kRightCue) {
                characterParagraph(parts[index]->scriptText());
                rightCueSeen = true;
            } else {
                plainParagraph(QString::fromLatin1(kPattern[step].paragraphType), parts[index]->scriptText());
            }
            next = step + 1;
        }
        xml_.writeEndElement();
        xml_.writeEndElement();
    }

    void writeList(const QString& listName, const QString& entryName, const std::vector<QString>& entries,
                   const QString& separator = QString())
    {
        xml_.writeStartElement(listName);
        if (!separator.isEmpty())
            xml_.writeAttribute(QStringLiteral("Separator"), separator);
        for (const QString& entry : entries)
            textElement(entryName, entry);
        xml_.writeEndElement();
    }

    void writeSmartType()
    {
        std::vector<QString> characters;
        for (const auto& character : story_.characters())
            characters.push_back(character->characterName());
        std::vector<QString> locations;
        for (const auto& location : story_.sceneLocations())
            locations.push_back(location->location());
        xml_.writeStartElement(QStringLiteral("SmartType"));
        writeList(QStringLiteral("Characters"), QStringLiteral("Character"), characters);
        writeList(QStringLiteral("Extensions"), QStringLiteral("Extension"), extensions_.entries());
        writeList(QStringLiteral("Transitions"), QStringLiteral("Transition"), transitions_.entries());
        writeList(QStringLiteral("SceneIntros"), QStringLiteral("SceneIntro"),
                  {QStringLiteral("INT"), QStringLiteral("EXT"), QStringLiteral("I/E")}, QStringLiteral("."));
        writeList(QStringLiteral("Locations"), QStringLiteral("Location"), locations);
        writeList(QStringLiteral("TimesOfDay"), QStringLiteral("TimeOfDay"), timesOfDay_.entries(),
                  QStringLiteral("-"));
        xml_.writeEndElement();
    }

    Screenplaydb& story_;
    QXmlStreamWriter xml_;
    DistinctList extensions_;
    DistinctList transitions_;
    DistinctList timesOfDay_;
};

} // namespace

bool Toolkit::exportScreenplay(Screenplaydb& story, const QString& path, QString* error) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    ScriptWriter writer(story, &file);
    writer.write();
    if (writer.failed() || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
