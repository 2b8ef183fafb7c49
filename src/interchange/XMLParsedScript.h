#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QXmlStreamAttributes;

// One locked page of a script: its label as the file gives it ("12", or "12A" for an
// inserted page) and its position in the script.
struct XMLScriptPageOffset {
    QString pageNumber;
    std::int64_t offset = 0;
};

// One paragraph of a dual-dialogue block, as the file gives it.
struct XMLDualDialogueLine {
    // In the second speaker's column: from the block's second "Character" paragraph on.
    bool right = false;
    // "Character", "Parenthetical", "Dialogue" or whatever else the file has.
    QString paragraphType;
    // As collected; a character cue in capitals.
    QString text;
};

// One paragraph of a script, one dual-dialogue block ("DualDialogue") or one script-note
// placeholder ("ScriptNote"). Indents are in inches, as the file writes them.
struct XMLScriptParagraph {
    QString paragraphType;
    // Left empty for a "CONT'D" style number.
    QString sceneNumber;
    QString text;
    // The scene's title, then a line break and the text of each paragraph of its properties.
    QString slug;
    QString sceneStartingPageNumber;
    bool omitted = false;
    std::int64_t numberOfOmittedScenes = 0;
    bool isDualDialog = false;
    QString leftCharacter;
    QString leftParenthetical; // parentheticals are folded into the dialogue texts
    QString leftDialogue;
    QString rightCharacter;
    QString rightParenthetical;
    QString rightDialogue;
    // Dual dialogue: every paragraph of the block in file order.
    std::vector<XMLDualDialogueLine> dualDialogueLines;
    float leftIndent = 0.0f;
    float rightIndent = 0.0f;
    QString pageCount;
    // The writer forced a page break before it (StartsNewPage="Yes"); a dual-dialogue block
    // takes its enclosing paragraph's.
    bool startsNewPage = false;
};

// The format of one script element type as the script sets it (indents in inches).
struct XMLElementSetting {
    QString elementType;
    float leftIndent = 0.0f;
    float rightIndent = 0.0f;
    QString alignment;
};

// A Final Draft 8/9 script file read into memory in one pass over its bytes.
//
// Elements are recognised by name wherever they stand; unknown elements are skipped with what
// they hold as text. A list is absent (nothing) until its container element first starts, so
// a script without locked pages is told apart from one with an empty list. External entities
// and external DTDs are never loaded: a reference to an entity that is not one of XML's own
// stays unexpanded and adds no text. The title page, the page header and the page footer are not
// the script: their paragraphs are skipped. A file that is not well-formed stops the reading at its
// first error; wellFormed() then answers false and what was read before stays.
class XMLParsedScript
{
public:
    XMLParsedScript();
    ~XMLParsedScript();
    XMLParsedScript(const XMLParsedScript&) = delete;
    XMLParsedScript& operator=(const XMLParsedScript&) = delete;

    // Reads the whole file. Call once per parsed script. Answers wellFormed().
    bool parseScriptData(const QByteArray& data);

    bool wellFormed() const { return errorString_.isEmpty(); }
    // Why and where the reading stopped; empty and 0 for a well-formed file.
    const QString& errorString() const { return errorString_; }
    std::int64_t errorLine() const { return errorLine_; }

    const std::optional<std::vector<XMLScriptPageOffset>>& pageOffsets() const { return pageOffsets_; }
    const std::optional<std::vector<XMLElementSetting>>& scriptElements() const { return scriptElements_; }
    const std::optional<std::vector<QString>>& characters() const { return characters_; }
    const std::optional<std::vector<QString>>& locations() const { return locations_; }
    const std::optional<std::vector<QString>>& intExts() const { return intExts_; }
    const std::optional<std::vector<XMLScriptParagraph>>& paragraphs() const { return paragraphs_; }
    const std::optional<std::vector<QString>>& timesOfDay() const { return timesOfDay_; }
    const std::optional<QString>& sceneIntroSeparator() const { return sceneIntroSeparator_; }
    const std::optional<QString>& timesOfDaySeparator() const { return timesOfDaySeparator_; }
    bool isFinalDraft() const { return isFinalDraft_; }
    bool isScript() const { return isScript_; }

private:
    void didStartElement(QStringView name, const QXmlStreamAttributes& attributes);
    void foundCharacters(QStringView text);
    void didEndElement(QStringView name);
    void startOtherElement(QStringView name, const QXmlStreamAttributes& attributes);
    void endParagraph();
    // A title page, header or footer starts or ends, or something inside one: answers whether
    // the element is skipped.
    bool startsOrEndsSkippedPart(QStringView name, bool start);
    // A paragraph of a dual-dialogue block starts.
    void startDualDialogueLine(const QString& type);
    // The pending text trimmed, then discarded.
    QString takeTrimmedPendingText();
    void appendParagraph(XMLScriptParagraph paragraph);

    std::optional<std::vector<XMLScriptPageOffset>> pageOffsets_;
    std::optional<std::vector<XMLElementSetting>> scriptElements_;
    std::optional<std::vector<QString>> characters_;
    std::optional<std::vector<QString>> locations_;
    std::optional<std::vector<QString>> intExts_;
    std::optional<std::vector<XMLScriptParagraph>> paragraphs_;
    std::optional<std::vector<QString>> timesOfDay_;
    std::optional<QString> sceneIntroSeparator_;
    std::optional<QString> timesOfDaySeparator_;
    bool isFinalDraft_ = false;
    bool isScript_ = false;
    QString errorString_;
    std::int64_t errorLine_ = 0;

    // Reading state.
    std::optional<XMLScriptPageOffset> currentPageOffset_;
    std::unique_ptr<XMLScriptParagraph> currentParagraph_;
    std::optional<QString> currentStringValue_;
    std::optional<XMLElementSetting> currentElement_;
    bool currentElementIsText_ = false;
    bool okToGetCharacters_ = false;
    bool allCaps_ = false;
    bool isDualDialog_ = false;
    bool isOmitted_ = false;
    bool inScriptNote_ = false;
    bool inSceneProperties_ = false;
    // Inside a paragraph of a dual-dialogue block: its text goes to the record's last line too.
    bool inDualDialogueLine_ = false;
    // Inside the title page, a header or a footer: the element's name and how deep it nests.
    QString skippedElement_;
    int skippedDepth_ = 0;
};
