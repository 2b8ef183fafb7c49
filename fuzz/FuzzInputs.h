#pragma once

// One input of each reader of outside bytes, read as the program reads it, with what must hold
// of every answer. The libFuzzer targets in this folder and their bounded cousins in the test
// suite run the same functions: each answers false when a rule of its reader is broken, and a
// crash or a sanitizer report is a fault as well. A refusal is a good answer.
#include "interchange/KeyedArchive.h"
#include "interchange/PreviousVersionProject.h"
#include "interchange/XMLParsedScript.h"
#include "model/RichText.h"
#include "web/http/HttpResponseParser.h"

#include <QByteArray>
#include <QTextDocument>

#include <algorithm>
#include <cstdint>
#include <unordered_set>

namespace FuzzInputs {

// A Final Draft script: read, or refused with a reason; never more text than its bound.
inline bool finalDraftScript(const QByteArray& bytes)
{
    XMLParsedScript script;
    const bool read = script.parseScriptData(bytes);
    if (!read && script.errorString().isEmpty())
        return false;
    qint64 text = 0;
    if (script.paragraphs())
        for (const XMLScriptParagraph& paragraph : *script.paragraphs())
            text += paragraph.text.size() + paragraph.slug.size() + paragraph.leftDialogue.size()
                    + paragraph.rightDialogue.size();
    return text <= 64LL * 1024 * 1024;
}

// An earlier version's project: read, or refused with a reason; the cards read have ids of
// their own, and no more cards come out than the file has bytes.
inline bool previousVersionProject(const QByteArray& bytes)
{
    try {
        const PreviousVersion::Screenplay project = PreviousVersion::readProject(bytes);
        std::unordered_set<std::int32_t> ids;
        for (const PreviousVersion::SceneCard& card : project.sceneCards)
            if (!ids.insert(card.sceneCardID).second)
                return false;
        return project.sceneCards.size() <= static_cast<std::size_t>(bytes.size());
    } catch (const ArchiveError& error) {
        return !error.message.isEmpty();
    }
}

// A formatted note: read into a document, written again and read back with the same text.
inline bool richText(const QByteArray& bytes)
{
    QTextDocument document;
    const bool read = readRtf(document, bytes);
    const QString plain = rtfPlainText(bytes);
    if (!read)
        return document.isEmpty() && plain.isEmpty();
    QTextDocument again;
    return readRtf(again, writeRtf(document)) && again.toPlainText() == document.toPlainText();
}

// A server's answer, fed in pieces whose sizes the input's first byte chooses: the body
// decoded never holds more bytes than came, and a head read has a three-digit status.
inline bool httpResponse(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return true;
    const bool headRequest = (bytes.at(0) & 0x40) != 0;
    const qsizetype piece = 1 + (static_cast<unsigned char>(bytes.at(0)) & 0x3f) * 37;
    const QByteArray answer = bytes.mid(1);
    HttpResponseParser parser(headRequest);
    QByteArray body;
    bool sound = true;
    for (qsizetype at = 0; at < answer.size() && sound; at += piece)
        sound = parser.feed(answer.constData() + at, std::min(piece, answer.size() - at), body);
    if (sound)
        parser.finishAtEnd();
    else if (parser.error().isEmpty())
        return false;
    if (body.size() > answer.size())
        return false;
    if (parser.headComplete() && (parser.head()->statusCode < 100 || parser.head()->statusCode > 999))
        return false;
    return true;
}

} // namespace FuzzInputs
