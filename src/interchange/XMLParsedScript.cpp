#include "XMLParsedScript.h"

#include <QStringDecoder>
#include <QXmlStreamReader>

#include <algorithm>

namespace {

// The most text, in characters, a script's file may give once its entities are expanded.
constexpr qint64 kMostTextCharacters = 64LL * 1024 * 1024;

bool is(QStringView name, QLatin1StringView wanted)
{
    return name == wanted;
}

std::optional<QString> attribute(const QXmlStreamAttributes& attributes, QLatin1StringView name)
{
    if (!attributes.hasAttribute(name))
        return std::nullopt;
    return attributes.value(name).toString();
}

float floatAttribute(const QXmlStreamAttributes& attributes, QLatin1StringView name)
{
    // An unreadable number counts as 0, as a missing one does.
    return static_cast<float>(attributes.value(name).toDouble());
}

template <typename T>
void createIfAbsent(std::optional<std::vector<T>>& list)
{
    if (!list)
        list.emplace();
}

// Appends to a list that exists; a list whose container never started takes nothing.
template <typename T>
void appendIfPresent(std::optional<std::vector<T>>& list, T value)
{
    if (list)
        list->push_back(std::move(value));
}

// The line of the document's first NUL character, counted as the reader counts lines from 1; 0
// when it holds none. The document is decoded as the reader decodes one without a declaration
// (UTF-8, or UTF-16 or UTF-32 by its first bytes): in every encoding a script declares, a NUL
// and a line break are the same bytes as in UTF-8.
qint64 lineOfFirstNul(const QByteArray& data)
{
    // NUL bytes before the markup that the markup does not go on to interleave are NULs of their
    // own on the first line; the reader takes them for the start of a UTF-16 or UTF-32 script,
    // which writes NUL bytes beside each of its ASCII characters, and reads on in that encoding.
    const auto markup = static_cast<qsizetype>(
        std::find_if(data.begin(), data.end(), [](char byte) { return byte != '\0'; }) - data.begin());
    if (markup > 0 && markup + 1 < data.size() && data[markup] == '<' && data[markup + 1] != '\0')
        return 1;
    QStringDecoder decoder(QStringConverter::encodingForData(data, u'<').value_or(QStringConverter::Utf8));
    const QString text = decoder(data);
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    if (nul < 0)
        return 0;
    qint64 line = 1;
    for (qsizetype at = 0; at < nul; ++at)
        if (text.at(at) == u'\n' || (text.at(at) == u'\r' && text.at(at + 1) != u'\n'))
            ++line;
    return line;
}

} // namespace

XMLParsedScript::XMLParsedScript() = default;
XMLParsedScript::~XMLParsedScript() = default;

bool XMLParsedScript::parseScriptData(const QByteArray& data)
{
    QXmlStreamReader reader(data);
    // A script is not a place for entity expansions; the reader's own limit stops a file that
    // multiplies them within one entity, and the bound on all the text read stops one that
    // uses an entity many times over.
    reader.setEntityExpansionLimit(1024);
    const qint64 mostText = std::min(kMostTextCharacters, 4 * static_cast<qint64>(data.size()) + 1024 * 1024);
    qint64 textRead = 0;
    auto withinBound = [&](qint64 characters) {
        textRead += characters;
        if (textRead <= mostText)
            return true;
        reader.raiseError(QStringLiteral("the file's text grows to more than %1 MB as it is read, far more than "
                                         "any script holds")
                              .arg(mostText / (1024 * 1024)));
        return false;
    };
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement: {
            const QXmlStreamAttributes attributes = reader.attributes();
            qint64 characters = 0;
            for (const QXmlStreamAttribute& attribute : attributes)
                characters += attribute.value().size();
            if (withinBound(characters))
                didStartElement(reader.name(), attributes);
            break;
        }
        case QXmlStreamReader::Characters:
            if (withinBound(reader.text().size()))
                foundCharacters(reader.text());
            break;
        case QXmlStreamReader::EndElement:
            didEndElement(reader.name());
            break;
        default:
            // Declarations, comments, processing instructions and unresolved entity
            // references add nothing.
            break;
        }
    }
    if (reader.hasError()) {
        errorLine_ = reader.lineNumber();
        // The reader names a NUL by printing it, which shows nothing, or misses NULs before the
        // markup and finds the document ends too soon.
        const bool unreadable = reader.error() == QXmlStreamReader::NotWellFormedError ||
                                reader.error() == QXmlStreamReader::PrematureEndOfDocumentError;
        if (unreadable && lineOfFirstNul(data) == errorLine_)
            errorString_ = QStringLiteral("the file holds a NUL character there, which no script holds");
        else
            errorString_ = reader.errorString();
        if (errorString_.isEmpty())
            errorString_ = QStringLiteral("unreadable XML");
    }
    return wellFormed();
}

QString XMLParsedScript::takeTrimmedPendingText()
{
    QString text = currentStringValue_ ? currentStringValue_->trimmed() : QString();
    currentStringValue_.reset();
    return text;
}

void XMLParsedScript::appendParagraph(XMLScriptParagraph paragraph)
{
    appendIfPresent(paragraphs_, std::move(paragraph));
}

// --- Start tags ---------------------------------------------------------------------------------

bool XMLParsedScript::startsOrEndsSkippedPart(QStringView name, bool start)
{
    if (skippedDepth_ > 0) {
        if (name == skippedElement_)
            skippedDepth_ += start ? 1 : -1;
        return true;
    }
    if (!start || isOmitted_ || inScriptNote_)
        return false;
    for (const char* skipped : {"TitlePage", "Header", "Footer"}) {
        if (name == QLatin1StringView(skipped)) {
            skippedElement_ = name.toString();
            skippedDepth_ = 1;
            okToGetCharacters_ = false;
            return true;
        }
    }
    return false;
}

void XMLParsedScript::didStartElement(QStringView name, const QXmlStreamAttributes& attributes)
{
    if (startsOrEndsSkippedPart(name, true))
        return;
    if (isOmitted_ || inScriptNote_)
        return;
    if (is(name, QLatin1StringView("ScriptNote"))) {
        inScriptNote_ = true;
        return;
    }
    if (is(name, QLatin1StringView("FinalDraft"))) {
        isFinalDraft_ = true;
        if (attributes.value(QLatin1StringView("DocumentType")) == QLatin1StringView("Script"))
            isScript_ = true;
        return;
    }
    if (is(name, QLatin1StringView("Character")) || is(name, QLatin1StringView("Location")) ||
        is(name, QLatin1StringView("SceneIntro")) || is(name, QLatin1StringView("TimeOfDay")) ||
        is(name, QLatin1StringView("Shot"))) {
        okToGetCharacters_ = true;
        return;
    }
    if (is(name, QLatin1StringView("Paragraph")) && !inSceneProperties_) {
        if (!isDualDialog_) {
            createIfAbsent(paragraphs_);
            currentStringValue_.reset();
            currentParagraph_ = std::make_unique<XMLScriptParagraph>();
            currentParagraph_->paragraphType = attributes.value(QLatin1StringView("Type")).toString();
            if (attributes.value(QLatin1StringView("Style")) == QLatin1StringView("AllCaps"))
                allCaps_ = true;
            const QString number = attributes.value(QLatin1StringView("Number")).toString();
            if (!number.toUpper().contains(QLatin1StringView("CONT")))
                currentParagraph_->sceneNumber = number;
            currentParagraph_->leftIndent = floatAttribute(attributes, QLatin1StringView("LeftIndent"));
            currentParagraph_->rightIndent = floatAttribute(attributes, QLatin1StringView("RightIndent"));
            currentParagraph_->startsNewPage =
                attributes.value(QLatin1StringView("StartsNewPage")).compare(QLatin1StringView("Yes"),
                                                                            Qt::CaseInsensitive) == 0;
        } else if (currentParagraph_) {
            if (const std::optional<QString> type = attribute(attributes, QLatin1StringView("Type"))) {
                currentParagraph_->paragraphType = *type;
                // The second speaker starts: what is pending is the first speaker's dialogue.
                if (*type == QLatin1StringView("Character") && currentParagraph_->rightCharacter.isEmpty())
                    currentParagraph_->leftDialogue = takeTrimmedPendingText();
            }
            startDualDialogueLine(attributes.value(QLatin1StringView("Type")).toString());
        }
        okToGetCharacters_ = true;
        return;
    }
    if (is(name, QLatin1StringView("Text")) && currentParagraph_) {
        currentElementIsText_ = true;
        okToGetCharacters_ = true;
        return;
    }
    okToGetCharacters_ = false;
    startOtherElement(name, attributes);
}

void XMLParsedScript::startOtherElement(QStringView name, const QXmlStreamAttributes& attributes)
{
    if (is(name, QLatin1StringView("SceneProperties"))) {
        if (currentParagraph_) {
            if (const std::optional<QString> title = attribute(attributes, QLatin1StringView("Title")))
                currentParagraph_->slug = *title;
            if (const std::optional<QString> page = attribute(attributes, QLatin1StringView("Page")))
                currentParagraph_->sceneStartingPageNumber = *page;
        }
        inSceneProperties_ = true;
    } else if (is(name, QLatin1StringView("OmittedScene"))) {
        if (currentParagraph_) {
            currentParagraph_->omitted = true;
            ++currentParagraph_->numberOfOmittedScenes;
        }
        isOmitted_ = true;
    } else if (is(name, QLatin1StringView("LockedPages"))) {
        createIfAbsent(pageOffsets_);
    } else if (is(name, QLatin1StringView("LockedPage"))) {
        currentPageOffset_.emplace();
        if (const std::optional<QString> label = attribute(attributes, QLatin1StringView("PageNumber")))
            currentPageOffset_->pageNumber = *label;
        currentPageOffset_->offset = attributes.value(QLatin1StringView("Position")).toLongLong();
    } else if (is(name, QLatin1StringView("SceneIntros"))) {
        createIfAbsent(intExts_);
        sceneIntroSeparator_ = attribute(attributes, QLatin1StringView("Separator"));
    } else if (is(name, QLatin1StringView("TimesOfDay"))) {
        createIfAbsent(timesOfDay_);
        timesOfDaySeparator_ = attribute(attributes, QLatin1StringView("Separator"));
    } else if (is(name, QLatin1StringView("ElementSettings"))) {
        createIfAbsent(scriptElements_);
        currentElement_.emplace();
        currentElement_->elementType = attributes.value(QLatin1StringView("Type")).toString();
    } else if (is(name, QLatin1StringView("ParagraphSpec"))) {
        if (currentElement_) {
            if (attributes.hasAttribute(QLatin1StringView("LeftIndent")))
                currentElement_->leftIndent = floatAttribute(attributes, QLatin1StringView("LeftIndent"));
            if (attributes.hasAttribute(QLatin1StringView("RightIndent")))
                currentElement_->rightIndent = floatAttribute(attributes, QLatin1StringView("RightIndent"));
            if (const std::optional<QString> alignment = attribute(attributes, QLatin1StringView("Alignment")))
                currentElement_->alignment = *alignment;
        }
    } else if (is(name, QLatin1StringView("Characters"))) {
        createIfAbsent(characters_);
    } else if (is(name, QLatin1StringView("Locations"))) {
        createIfAbsent(locations_);
    } else if (is(name, QLatin1StringView("DualDialogue"))) {
        isDualDialog_ = true;
        const bool startsNewPage = currentParagraph_ && currentParagraph_->startsNewPage;
        currentParagraph_ = std::make_unique<XMLScriptParagraph>();
        currentParagraph_->paragraphType = QStringLiteral("DualDialogue");
        currentParagraph_->startsNewPage = startsNewPage;
    }
}

// --- Text ---------------------------------------------------------------------------------------

void XMLParsedScript::foundCharacters(QStringView text)
{
    if (!okToGetCharacters_ || inScriptNote_)
        return;
    if (!currentStringValue_)
        currentStringValue_.emplace();
    QString& pending = *currentStringValue_;
    if (allCaps_) {
        pending += text.toString().toUpper();
        allCaps_ = false;
        return;
    }
    if (!currentParagraph_) {
        pending += text;
        return;
    }
    if (!currentElementIsText_)
        return;
    const QString& type = currentParagraph_->paragraphType;
    if (isDualDialog_ && inDualDialogueLine_ && !currentParagraph_->dualDialogueLines.empty()) {
        XMLDualDialogueLine& line = currentParagraph_->dualDialogueLines.back();
        line.text += line.paragraphType == QLatin1StringView("Character") ? text.toString().toUpper() : text;
    }
    if (inSceneProperties_) {
        pending += text;
    } else if (type == QLatin1StringView("Scene Heading") || type == QLatin1StringView("Character") ||
               type == QLatin1StringView("Transition")) {
        pending += text.toString().toUpper();
    } else if (isDualDialog_) {
        if (type == QLatin1StringView("Parenthetical")) {
            if (!pending.isEmpty())
                pending += QLatin1Char('\n');
            pending += QStringLiteral("     %1\n").arg(text);
        } else if (type == QLatin1StringView("Dialogue")) {
            pending += text;
        }
    } else {
        pending += text;
    }
}

// --- End tags -----------------------------------------------------------------------------------

void XMLParsedScript::didEndElement(QStringView name)
{
    if (startsOrEndsSkippedPart(name, false))
        return;
    if (is(name, QLatin1StringView("OmittedScene"))) {
        isOmitted_ = false;
        return;
    }
    if (isOmitted_)
        return;
    if (is(name, QLatin1StringView("ScriptNote"))) {
        XMLScriptParagraph note;
        note.paragraphType = QStringLiteral("ScriptNote");
        appendParagraph(std::move(note));
        inScriptNote_ = false;
        return;
    }
    if (inScriptNote_)
        return;
    if (is(name, QLatin1StringView("LockedPage"))) {
        // An end without its own start has nothing to add.
        if (currentPageOffset_)
            appendIfPresent(pageOffsets_, *currentPageOffset_);
        currentPageOffset_.reset();
    } else if (is(name, QLatin1StringView("SceneIntro"))) {
        appendIfPresent(intExts_, takeTrimmedPendingText());
    } else if (is(name, QLatin1StringView("TimeOfDay"))) {
        appendIfPresent(timesOfDay_, takeTrimmedPendingText());
    } else if (is(name, QLatin1StringView("Location"))) {
        appendIfPresent(locations_, takeTrimmedPendingText());
    } else if (is(name, QLatin1StringView("Shot"))) {
        // A shot belongs to no list; its text must not run into the next entry.
        currentStringValue_.reset();
    } else if (is(name, QLatin1StringView("ParagraphSpec"))) {
        if (currentElement_)
            appendIfPresent(scriptElements_, *currentElement_);
        currentElement_.reset();
    } else if (is(name, QLatin1StringView("Character"))) {
        if (currentStringValue_ && !currentStringValue_->trimmed().isEmpty())
            appendIfPresent(characters_, takeTrimmedPendingText());
    } else if (is(name, QLatin1StringView("SceneProperties"))) {
        inSceneProperties_ = false;
    } else if (is(name, QLatin1StringView("Paragraph"))) {
        endParagraph();
    } else if (is(name, QLatin1StringView("Text"))) {
        currentElementIsText_ = false;
    } else if (is(name, QLatin1StringView("DualDialogue"))) {
        if (currentParagraph_) {
            currentParagraph_->rightDialogue = takeTrimmedPendingText();
            currentParagraph_->paragraphType = QStringLiteral("DualDialogue");
            appendParagraph(std::move(*currentParagraph_));
            currentParagraph_.reset();
        }
        currentStringValue_.reset();
        isDualDialog_ = false;
    }
}

void XMLParsedScript::startDualDialogueLine(const QString& type)
{
    std::vector<XMLDualDialogueLine>& lines = currentParagraph_->dualDialogueLines;
    const bool afterFirstCue = std::any_of(lines.begin(), lines.end(), [](const XMLDualDialogueLine& line) {
        return line.paragraphType == QLatin1StringView("Character");
    });
    XMLDualDialogueLine line;
    line.paragraphType = type;
    line.right = (!lines.empty() && lines.back().right) ||
                 (afterFirstCue && type == QLatin1StringView("Character"));
    lines.push_back(std::move(line));
    inDualDialogueLine_ = true;
}

void XMLParsedScript::endParagraph()
{
    currentElementIsText_ = false;
    inDualDialogueLine_ = false;
    if (inSceneProperties_) {
        const QString text = currentStringValue_.value_or(QString());
        currentStringValue_.reset();
        if (currentParagraph_)
            currentParagraph_->slug += QLatin1Char('\n') + text;
        return;
    }
    if (!currentParagraph_) {
        currentStringValue_.reset();
        return;
    }
    if (isDualDialog_) {
        currentParagraph_->isDualDialog = true;
        // A speaker's name closes; dialogue and parentheticals stay pending so that one
        // speaker's lines gather until the next speaker or the block's end.
        if (currentParagraph_->paragraphType == QLatin1StringView("Character")) {
            QString speaker = takeTrimmedPendingText();
            if (currentParagraph_->leftCharacter.isEmpty())
                currentParagraph_->leftCharacter = std::move(speaker);
            else
                currentParagraph_->rightCharacter = std::move(speaker);
        }
        return;
    }
    currentParagraph_->text = currentStringValue_.value_or(QString());
    appendParagraph(std::move(*currentParagraph_));
    currentParagraph_.reset();
    currentStringValue_.reset();
}
