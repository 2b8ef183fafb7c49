#include "RichText.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QStringList>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <string_view>
#include <vector>

namespace {

constexpr qsizetype kMaxRtfBytes = 16 * 1024 * 1024;
constexpr std::size_t kMaxGroupDepth = 64;
// Longer control words are still read whole but match nothing.
constexpr std::size_t kMaxWordLetters = 32;
constexpr std::int64_t kParameterLimit = 0x7fffffff;
constexpr int kMaxUnicodeSkip = 16;
// Half points, as \fs counts them.
constexpr std::int64_t kMaxFontHalfPoints = 3276;

constexpr char16_t kLineSeparator = 0x2028;
constexpr char16_t kNoBreakSpace = 0x00a0;

// Windows-1252 for the bytes 0x80 to 0x9f; the rest of the upper half is Latin-1. Undefined
// bytes are taken as Latin-1 control characters.
constexpr char16_t kWindows1252[32] = {
    0x20ac, 0x0081, 0x201a, 0x0192, 0x201e, 0x2026, 0x2020, 0x2021, 0x02c6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008d, 0x017d, 0x008f, 0x0090, 0x2018, 0x2019, 0x201c, 0x201d, 0x2022,
    0x2013, 0x2014, 0x02dc, 0x2122, 0x0161, 0x203a, 0x0153, 0x009d, 0x017e, 0x0178,
};

char16_t fromWindows1252(unsigned char byte)
{
    return byte >= 0x80 && byte < 0xa0 ? kWindows1252[byte - 0x80] : char16_t(byte);
}

// Destinations whose text is never shown.
constexpr std::string_view kSkippedDestinations[] = {
    "author",   "buptim",     "colorschememapping", "comment",  "creatim",    "datastore",  "doccomm",
    "falt",     "filetbl",    "fldinst",            "footer",   "footerf",    "footerl",    "footerr",
    "footnote", "ftncn",      "ftnsep",             "ftnsepc",  "generator",  "header",     "headerf",
    "headerl",  "headerr",    "info",               "keywords", "latentstyles", "listoverridetable", "listtable",
    "nonshppict", "object",   "operator",           "pgdsctbl", "pict",       "printim",    "private",
    "revtbl",   "revtim",     "rsidtbl",            "shpinst",  "stylesheet", "subject",    "themedata",
    "title",    "xmlnstbl",
};

struct NamedCharacter {
    std::string_view word;
    char16_t character;
};

constexpr NamedCharacter kNamedCharacters[] = {
    {"tab", u'\t'},
    {"line", kLineSeparator},
    {"emdash", 0x2014},
    {"endash", 0x2013},
    {"bullet", 0x2022},
    {"lquote", 0x2018},
    {"rquote", 0x2019},
    {"ldblquote", 0x201c},
    {"rdblquote", 0x201d},
    {"emspace", 0x2003},
    {"enspace", 0x2002},
};

enum class Destination { Text, FontTable, ColorTable, Skipped };

struct GroupState {
    Destination destination = Destination::Text;
    QTextCharFormat format;
    Qt::Alignment alignment = Qt::AlignLeft;
    int unicodeSkip = 1;
};

struct Run {
    QString text;
    QTextCharFormat format;
};

struct Paragraph {
    Qt::Alignment alignment = Qt::AlignLeft;
    std::vector<Run> runs;
};

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexValue(char c)
{
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// One pass over an RTF text into paragraphs of formatted runs.
class RtfReader
{
public:
    explicit RtfReader(const QByteArray& rtf) : data_(rtf) {}

    // False when the text is not RTF.
    bool read();
    const std::vector<Paragraph>& paragraphs() const { return paragraphs_; }

private:
    GroupState& state() { return groups_.back(); }
    bool ignoring() const { return ignoredDepth_ > 0 || groups_.back().destination == Destination::Skipped; }
    // True when this character or control stands in for the last \uN and is dropped.
    bool skippedForUnicode();

    void openGroup();
    // False once the document's own group has closed.
    bool closeGroup();
    void readControl();
    void controlSymbol(char symbol);
    void controlWord(std::string_view word, bool hasParameter, std::int64_t parameter);
    void formattingWord(std::string_view word, bool hasParameter, std::int64_t parameter);
    void appendCharacter(char16_t character);
    // The paragraph takes the alignment in force where it ends.
    void endParagraph();
    void breakParagraph();

    const QByteArray& data_;
    qsizetype position_ = 0;
    std::vector<GroupState> groups_;
    std::size_t ignoredDepth_ = 0;
    int pendingSkip_ = 0;

    std::map<std::int64_t, QString> fonts_;
    std::int64_t fontNumber_ = 0;
    QString fontName_;
    std::vector<QColor> colors_;
    std::array<int, 3> colorParts_ = {0, 0, 0};
    bool colorPartSeen_ = false;

    std::vector<Paragraph> paragraphs_;
};

bool RtfReader::read()
{
    if (data_.size() > kMaxRtfBytes || !data_.startsWith("{\\rtf"))
        return false;
    paragraphs_.emplace_back();
    while (position_ < data_.size()) {
        const char c = data_[position_++];
        switch (c) {
        case '{':
            openGroup();
            break;
        case '}':
            if (!closeGroup())
                return true;
            break;
        case '\\':
            readControl();
            break;
        case '\r':
        case '\n':
            break;
        default:
            if (!skippedForUnicode())
                appendCharacter(fromWindows1252(static_cast<unsigned char>(c)));
        }
    }
    endParagraph();
    return true;
}

bool RtfReader::skippedForUnicode()
{
    if (pendingSkip_ == 0)
        return false;
    --pendingSkip_;
    return true;
}

void RtfReader::openGroup()
{
    pendingSkip_ = 0;
    if (groups_.empty()) {
        groups_.emplace_back();
        return;
    }
    if (ignoredDepth_ > 0 || groups_.size() >= kMaxGroupDepth) {
        ++ignoredDepth_;
        return;
    }
    groups_.push_back(groups_.back());
}

bool RtfReader::closeGroup()
{
    pendingSkip_ = 0;
    if (ignoredDepth_ > 0) {
        --ignoredDepth_;
        return true;
    }
    if (groups_.empty())
        return false;
    if (groups_.size() == 1)
        endParagraph();
    const Destination closing = groups_.back().destination;
    groups_.pop_back();
    // A font entry may end with its group instead of a semicolon.
    if (closing == Destination::FontTable && !fontName_.trimmed().isEmpty()) {
        fonts_[fontNumber_] = fontName_.trimmed();
        fontName_.clear();
    }
    return !groups_.empty();
}

void RtfReader::readControl()
{
    if (position_ >= data_.size())
        return;
    if (!isLetter(data_[position_])) {
        controlSymbol(data_[position_++]);
        return;
    }
    const qsizetype wordStart = position_;
    while (position_ < data_.size() && isLetter(data_[position_]))
        ++position_;
    const std::size_t letters = std::size_t(position_ - wordStart);
    const std::string_view word =
        letters <= kMaxWordLetters ? std::string_view(data_.constData() + wordStart, letters) : std::string_view();

    bool negative = false;
    if (position_ + 1 < data_.size() && data_[position_] == '-' && isDigit(data_[position_ + 1])) {
        negative = true;
        ++position_;
    }
    bool hasParameter = false;
    std::int64_t parameter = 0;
    while (position_ < data_.size() && isDigit(data_[position_])) {
        hasParameter = true;
        parameter = std::min<std::int64_t>(parameter * 10 + (data_[position_] - '0'), kParameterLimit);
        ++position_;
    }
    if (negative)
        parameter = -parameter;
    if (position_ < data_.size() && data_[position_] == ' ')
        ++position_;
    controlWord(word, hasParameter, parameter);
}

void RtfReader::controlSymbol(char symbol)
{
    if (symbol == '\'') {
        if (position_ + 1 >= data_.size()) {
            position_ = data_.size();
            return;
        }
        const int high = hexValue(data_[position_]);
        const int low = hexValue(data_[position_ + 1]);
        if (high < 0 || low < 0)
            return;
        position_ += 2;
        if (!skippedForUnicode())
            appendCharacter(fromWindows1252(static_cast<unsigned char>(high * 16 + low)));
        return;
    }
    if (skippedForUnicode())
        return;
    switch (symbol) {
    case '\\':
    case '{':
    case '}':
        appendCharacter(char16_t(symbol));
        break;
    case '~':
        appendCharacter(kNoBreakSpace);
        break;
    case '_':
        appendCharacter(0x2011);
        break;
    case '*':
        if (ignoredDepth_ == 0)
            state().destination = Destination::Skipped;
        break;
    case '\n':
    case '\r':
        if (!ignoring() && state().destination == Destination::Text)
            breakParagraph();
        break;
    default:
        // Optional hyphens, index marks and unknown symbols show nothing.
        break;
    }
}

void RtfReader::controlWord(std::string_view word, bool hasParameter, std::int64_t parameter)
{
    if (word == "bin") {
        // Raw bytes follow; they may hold anything, braces included.
        const qsizetype length = hasParameter && parameter > 0 ? qsizetype(parameter) : 0;
        position_ += std::min(length, data_.size() - position_);
        skippedForUnicode();
        return;
    }
    if (skippedForUnicode() || ignoring())
        return;
    if (word == "fonttbl") {
        state().destination = Destination::FontTable;
        fontName_.clear();
        return;
    }
    if (word == "colortbl") {
        state().destination = Destination::ColorTable;
        colors_.clear();
        colorPartSeen_ = false;
        return;
    }
    if (std::find(std::begin(kSkippedDestinations), std::end(kSkippedDestinations), word) !=
        std::end(kSkippedDestinations)) {
        state().destination = Destination::Skipped;
        return;
    }
    GroupState& current = state();
    if (current.destination == Destination::FontTable) {
        if (word == "f") {
            fontNumber_ = parameter;
            fontName_.clear();
        } else if (word == "u") {
            appendCharacter(char16_t(parameter < 0 ? parameter + 65536 : parameter));
            pendingSkip_ = current.unicodeSkip;
        }
        return;
    }
    if (current.destination == Destination::ColorTable) {
        const int part = int(std::clamp<std::int64_t>(parameter, 0, 255));
        if (word == "red" || word == "green" || word == "blue") {
            colorParts_[word == "red" ? 0 : word == "green" ? 1 : 2] = part;
            colorPartSeen_ = true;
        }
        return;
    }
    if (word == "u") {
        appendCharacter(char16_t(parameter < 0 ? parameter + 65536 : parameter));
        pendingSkip_ = current.unicodeSkip;
        return;
    }
    if (word == "uc") {
        current.unicodeSkip = int(std::clamp<std::int64_t>(parameter, 0, kMaxUnicodeSkip));
        return;
    }
    if (word == "par") {
        breakParagraph();
        return;
    }
    for (const NamedCharacter& named : kNamedCharacters) {
        if (named.word == word) {
            appendCharacter(named.character);
            return;
        }
    }
    formattingWord(word, hasParameter, parameter);
}

void RtfReader::formattingWord(std::string_view word, bool hasParameter, std::int64_t parameter)
{
    GroupState& current = state();
    QTextCharFormat& format = current.format;
    const bool on = !hasParameter || parameter != 0;
    if (word == "b") {
        format.setFontWeight(on ? QFont::Bold : QFont::Normal);
    } else if (word == "i") {
        format.setFontItalic(on);
    } else if (word == "ul") {
        format.setFontUnderline(on);
    } else if (word == "ulnone") {
        format.setFontUnderline(false);
    } else if (word == "fs") {
        if (parameter > 0)
            format.setFontPointSize(double(std::min(parameter, kMaxFontHalfPoints)) / 2.0);
    } else if (word == "cf") {
        if (parameter > 0 && std::size_t(parameter) < colors_.size() && colors_[std::size_t(parameter)].isValid())
            format.setForeground(colors_[std::size_t(parameter)]);
        else
            format.clearForeground();
    } else if (word == "f") {
        if (const auto font = fonts_.find(parameter); font != fonts_.end())
            format.setFontFamilies(QStringList{font->second});
    } else if (word == "plain") {
        format = QTextCharFormat();
    } else if (word == "pard" || word == "ql") {
        current.alignment = Qt::AlignLeft;
    } else if (word == "qc") {
        current.alignment = Qt::AlignHCenter;
    } else if (word == "qr") {
        current.alignment = Qt::AlignRight;
    } else if (word == "qj") {
        current.alignment = Qt::AlignJustify;
    }
}

void RtfReader::appendCharacter(char16_t character)
{
    if (ignoring())
        return;
    switch (state().destination) {
    case Destination::FontTable:
        if (character == u';') {
            fonts_[fontNumber_] = fontName_.trimmed();
            fontName_.clear();
        } else {
            fontName_ += QChar(character);
        }
        return;
    case Destination::ColorTable:
        if (character == u';') {
            // An entry with no parts is the automatic colour.
            colors_.push_back(colorPartSeen_ ? QColor(colorParts_[0], colorParts_[1], colorParts_[2]) : QColor());
            colorParts_ = {0, 0, 0};
            colorPartSeen_ = false;
        }
        return;
    case Destination::Skipped:
        return;
    case Destination::Text:
        break;
    }
    std::vector<Run>& runs = paragraphs_.back().runs;
    if (runs.empty() || runs.back().format != state().format)
        runs.push_back(Run{QString(), state().format});
    runs.back().text += QChar(character);
}

void RtfReader::endParagraph()
{
    if (!groups_.empty())
        paragraphs_.back().alignment = groups_.back().alignment;
}

void RtfReader::breakParagraph()
{
    endParagraph();
    paragraphs_.emplace_back();
}

// Control words for a character format, ready to be followed by a space.
QByteArray formatWords(const QTextCharFormat& format, const QStringList& fonts, const QList<QColor>& colors)
{
    QByteArray words;
    const QString family = format.fontFamilies().toStringList().value(0);
    if (!family.isEmpty())
        words += "\\f" + QByteArray::number(fonts.indexOf(family));
    if (format.fontPointSize() > 0)
        words += "\\fs" + QByteArray::number(qRound(format.fontPointSize() * 2));
    if (format.fontWeight() > QFont::Medium)
        words += "\\b";
    if (format.fontItalic())
        words += "\\i";
    if (format.fontUnderline())
        words += "\\ul";
    if (format.hasProperty(QTextFormat::ForegroundBrush) && format.foreground().style() != Qt::NoBrush)
        words += "\\cf" + QByteArray::number(colors.indexOf(QColor(format.foreground().color().rgb())) + 1);
    return words;
}

void appendEscaped(QByteArray& out, const QString& text)
{
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        if (unit == u'\\' || unit == u'{' || unit == u'}') {
            out += '\\';
            out += char(unit);
        } else if (unit == u'\t') {
            out += "\\tab ";
        } else if (unit == kLineSeparator) {
            out += "\\line ";
        } else if (unit == kNoBreakSpace) {
            out += "\\~";
        } else if (unit >= 0x20 && unit < 0x7f) {
            out += char(unit);
        } else if (unit >= 0x80 && unit != 0xfffc) {
            // Signed 16-bit, as RTF wants it; "?" for readers without Unicode.
            out += "\\u" + QByteArray::number(int(std::int16_t(unit))) + '?';
        }
        // Other control characters and embedded-object marks carry no text.
    }
}

QByteArray alignmentWord(Qt::Alignment alignment)
{
    if (alignment & Qt::AlignHCenter)
        return "\\qc";
    if (alignment & Qt::AlignJustify)
        return "\\qj";
    if (alignment & Qt::AlignRight)
        return "\\qr";
    return {};
}

} // namespace

QString rtfPlainText(const QByteArray& rtf)
{
    RtfReader reader(rtf);
    if (!reader.read())
        return {};
    QString text;
    bool first = true;
    for (const Paragraph& paragraph : reader.paragraphs()) {
        if (!first)
            text += u'\n';
        first = false;
        for (const Run& run : paragraph.runs)
            text += run.text;
    }
    text.replace(QChar(kLineSeparator), u'\n');
    text.replace(QChar(kNoBreakSpace), u' ');
    return text;
}

bool readRtf(QTextDocument& document, const QByteArray& rtf)
{
    document.clear();
    RtfReader reader(rtf);
    if (!reader.read())
        return false;
    QTextCursor cursor(&document);
    bool first = true;
    for (const Paragraph& paragraph : reader.paragraphs()) {
        QTextBlockFormat blockFormat;
        if (paragraph.alignment != Qt::AlignLeft)
            blockFormat.setAlignment(paragraph.alignment);
        if (first)
            cursor.setBlockFormat(blockFormat);
        else
            cursor.insertBlock(blockFormat, QTextCharFormat());
        first = false;
        for (const Run& run : paragraph.runs)
            cursor.insertText(run.text, run.format);
    }
    return true;
}

QByteArray writeRtf(const QTextDocument& document)
{
    QStringList fonts;
    QList<QColor> colors;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            const QString family = format.fontFamilies().toStringList().value(0);
            if (!family.isEmpty() && !fonts.contains(family))
                fonts.append(family);
            if (format.hasProperty(QTextFormat::ForegroundBrush) && format.foreground().style() != Qt::NoBrush) {
                const QColor color(format.foreground().color().rgb());
                if (!colors.contains(color))
                    colors.append(color);
            }
        }
    }

    QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n";
    if (!fonts.isEmpty()) {
        out += "{\\fonttbl";
        for (qsizetype i = 0; i < fonts.size(); ++i) {
            out += "{\\f" + QByteArray::number(i) + "\\fnil ";
            appendEscaped(out, fonts[i]);
            out += ";}";
        }
        out += "}\n";
    }
    if (!colors.isEmpty()) {
        out += "{\\colortbl;";
        for (const QColor& color : colors) {
            out += "\\red" + QByteArray::number(color.red()) + "\\green" + QByteArray::number(color.green()) +
                   "\\blue" + QByteArray::number(color.blue()) + ';';
        }
        out += "}\n";
    }
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block != document.begin())
            out += "\\par\n";
        out += "\\pard" + alignmentWord(block.blockFormat().alignment());
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QByteArray words = formatWords(fragment.charFormat(), fonts, colors);
            out += '{' + words;
            if (!words.isEmpty())
                out += ' ';
            appendEscaped(out, fragment.text());
            out += '}';
        }
    }
    out += "}";
    return out;
}

QByteArray rtfForPlainText(const QString& text)
{
    QTextDocument document;
    document.setPlainText(text);
    return writeRtf(document);
}
