#pragma once

#include <QString>

#include <cstdint>
#include <vector>

// One entry of the phone queue's character table: a character and its code.
struct ASCIICharacter {
    QString c;
    std::int32_t v = 0;
};

// The character tables of the phone queue's escaping. `punctuation` holds the line break
// (code 13) and the ASCII punctuation with their ASCII codes; `asciiValues` holds the line
// break and every printable ASCII character. Look-ups scan in table order, first match wins.
class ASCIIConversion
{
public:
    ASCIIConversion();

    const std::vector<ASCIICharacter>& asciiValues() const { return asciiValues_; }
    const std::vector<ASCIICharacter>& punctuation() const { return punctuation_; }

    // Code of the punctuation character `text`; 0 when it is none.
    std::int32_t valueForPunctuation(const QString& text) const;
    // Punctuation character of `value`; "" when there is none.
    QString charForPunctuation(std::int32_t value) const;
    std::int32_t valueForChar(const QString& text) const;
    QString charForValue(std::int32_t value) const;

private:
    std::vector<ASCIICharacter> asciiValues_;
    std::vector<ASCIICharacter> punctuation_;
};

// The form in which story texts travel to and from the phone queue: ASCII letters, digits
// and spaces stand for themselves, every other UTF-16 unit is "%" and a five-digit code.
namespace QueueTextEscaping {

QString encode(const QString& text);
// A "%" that is not followed by five digits of a code a UTF-16 unit can hold is kept as it
// is, so a damaged text loses nothing. A line break comes back for "%00013".
QString decode(const QString& text);

} // namespace QueueTextEscaping
