// What a scene card shows, read from the card and its story: texts, colours, thumbnail and the
// indicators of what lies on the card.
#include "SceneCardPainter.h"
#include "SceneCardView.h"

#include "model/AttachedObjectdb.h"
#include "model/ColorCodedb.h"
#include "model/SceneCardCharacterdb.h"
#include "model/SceneCardObjectdb.h"
#include "model/SceneCarddb.h"
#include "model/SceneLocationdb.h"
#include "model/ScenePayoffdb.h"
#include "model/SceneSetupdb.h"
#include "model/Screenplaydb.h"
#include "model/StoryLinkIndex.h"

#include <optional>

namespace {

QColor colorOfCode(const ColorCodedb* code)
{
    // A colour code that no longer exists paints the stripe fully transparent.
    if (!code)
        return QColor(0, 0, 0, 0);
    return QColor::fromRgbF(static_cast<float>(code->redValue()) / 255.0f,
                            static_cast<float>(code->greenValue()) / 255.0f,
                            static_cast<float>(code->blueValue()) / 255.0f,
                            static_cast<float>(code->alphaValue()) / 255.0f);
}

QString trimmedLines(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && (text.at(first) == QLatin1Char('\n') || text.at(first) == QLatin1Char('\r')))
        ++first;
    while (last > first && (text.at(last - 1) == QLatin1Char('\n') || text.at(last - 1) == QLatin1Char('\r')))
        --last;
    return text.mid(first, last - first);
}

QString recordText(const SceneSetupdb& setup)
{
    return setup.sceneSetup();
}

QString recordText(const ScenePayoffdb& payoff)
{
    return payoff.scenePayoff();
}

// The tooltip of a card's set-ups (or pay-offs) and what the icon shows: every record lying on
// the card with its partner, a partner that lies on a card named with that card's heading and
// page.
struct LinkedRecords
{
    QString text;
    bool any = false;
    // At least one record has no partner.
    bool unpartnered = false;
};

template <typename Record, typename Unpartnered, typename PartnerOf>
LinkedRecords describeOnCard(const StoryLinkIndex& links, const std::vector<const Record*>& records,
                             const QString& title, const QString& ownLine, const QString& partnerLine,
                             Unpartnered unpartnered, PartnerOf partnerOf)
{
    LinkedRecords result{title};
    for (const Record* record : records) {
        result.any = true;
        result.text += ownLine.arg(recordText(*record)) + QLatin1Char('\n');
        if (unpartnered(*record)) {
            result.unpartnered = true;
        } else if (const auto* partner = partnerOf(*record)) {
            if (const SceneCarddb* card = links.sceneCardForSceneCardID(partner->sceneCardID()))
                result.text += (partnerLine + QStringLiteral(" IN: %2 (p. %3)"))
                                   .arg(recordText(*partner), card->heading())
                                   .arg(static_cast<qlonglong>(card->pageNumber()));
            else
                result.text += partnerLine.arg(recordText(*partner));
        }
        result.text += QLatin1Char('\n');
    }
    return result;
}

} // namespace

std::int64_t thumbnailAttachmentOfCard(const StoryLinkIndex& links, std::int64_t sceneCardID)
{
    const SceneCardObjectdb* link = links.primaryAttachmentLinkOfCard(sceneCardID);
    return link ? link->attachedObjectID() : 0;
}

std::unordered_map<std::int64_t, std::int64_t> thumbnailAttachmentsOfCards(Screenplaydb& story)
{
    // The first link marked primary, as the story's link index takes it.
    std::unordered_map<std::int64_t, std::int64_t> attachments;
    for (const auto& link : story.sceneCardObjects())
        if (link->sceneCardID() != 0 && link->primaryDisplayFlag() == 1)
            attachments.try_emplace(link->sceneCardID(), link->attachedObjectID());
    return attachments;
}

QPixmap thumbnailOfAttachment(const StoryLinkIndex& links, std::int64_t attachedObjectID)
{
    return thumbnailOfAttachment(attachedObjectID ? links.attachmentForID(attachedObjectID) : nullptr);
}

QPixmap thumbnailOfAttachment(const AttachedObjectdb* attachment)
{
    QPixmap thumbnail;
    if (attachment)
        if (const std::optional<QByteArray> bytes = attachment->getThumbnail())
            thumbnail.loadFromData(*bytes);
    return thumbnail;
}

std::vector<SceneCardIndicator> indicatorsOfCard(Screenplaydb& story, const SceneCarddb& card)
{
    return indicatorsOfCard(story, card, StoryLinkIndex(story, card.sceneCardID()));
}

std::vector<SceneCardIndicator> indicatorsOfCard(const Screenplaydb& story, const SceneCarddb& card,
                                                 const StoryLinkIndex& links)
{
    std::vector<SceneCardIndicator> shown;
    const std::int64_t key = card.sceneCardID();

    QString characters = QStringLiteral("Characters In Scene\n");
    bool hasCharacters = false;
    for (const SceneCardCharacterdb* link : links.charactersOfCard(key)) {
        characters += link->characterName() + QLatin1Char('\n');
        hasCharacters = true;
    }
    if (hasCharacters)
        shown.push_back(
            {SceneCardIndicator::Characters, QStringLiteral("CharactersInScene"), trimmedLines(characters)});

    if (card.sceneLocationID() >= 1) {
        const SceneLocationdb* location = story.locationForLocationID(card.sceneLocationID());
        shown.push_back({SceneCardIndicator::Location, QStringLiteral("LocationOfScene"),
                         location ? location->location() : QString()});
    }

    const LinkedRecords setups = describeOnCard(
        links, links.setupsOfCard(key), QStringLiteral("Set-ups In Scene\n"), QStringLiteral("SET-UP: %1"),
        QStringLiteral("PAY-OFF: %1"), [](const SceneSetupdb& setup) { return setup.scenePayoffID() == 0; },
        [&links](const SceneSetupdb& setup) { return links.payoffForPayoffID(setup.scenePayoffID()); });
    if (setups.any)
        shown.push_back({SceneCardIndicator::Setups,
                         setups.unpartnered ? QStringLiteral("SetupsWithOutPayoffs")
                                            : QStringLiteral("SetupsWithPayoffs"),
                         trimmedLines(setups.text)});

    const LinkedRecords payoffs = describeOnCard(
        links, links.payoffsOfCard(key), QStringLiteral("Pay-offs In Scene\n"), QStringLiteral("PAY-OFF: %1"),
        QStringLiteral("SET-UP: %1"), [](const ScenePayoffdb& payoff) { return payoff.sceneSetupID() == 0; },
        [&links](const ScenePayoffdb& payoff) { return links.setupForPayoffID(payoff.scenePayoffID()); });
    if (payoffs.any)
        shown.push_back({SceneCardIndicator::Payoffs,
                         payoffs.unpartnered ? QStringLiteral("PayoffsWithoutSetups")
                                             : QStringLiteral("PayoffsWithSetups"),
                         trimmedLines(payoffs.text)});
    return shown;
}

SceneCardLook lookOfCard(Screenplaydb& story, const SceneCarddb& card, std::int64_t tab, const QColor& brown)
{
    return lookOfCard(story, card, StoryLinkIndex(story, card.sceneCardID()), tab, brown);
}

SceneCardLook lookOfCard(const Screenplaydb& story, const SceneCarddb& card, const StoryLinkIndex& links,
                         std::int64_t tab, const QColor& brown, ThumbnailReading reading)
{
    SceneCardLook look;
    look.heading = card.heading();
    look.pageNumber = QString::number(static_cast<qint32>(card.pageNumber()));
    look.selectedTab = tab == 2 ? 2 : 1;
    look.text = look.selectedTab == 2 ? card.notes() : card.description();
    look.emotionalChange = fieldTextOrPlaceholder(card.emotionalChange(), QStringLiteral("Emotional Change"));
    look.conflict = fieldTextOrPlaceholder(card.conflict(), QStringLiteral("Conflict"));
    for (int stripe = 1; stripe <= 6; ++stripe)
        look.stripes[static_cast<std::size_t>(stripe - 1)] = colorForStripe(story, card.colorLegendID(stripe));
    look.emotionalChangeType = emotionalChangeTypeColor(card.emotionalChangeType(), look.emotionalChangeType);
    look.markedTab = brown;
    look.thumbnailAttachmentID = thumbnailAttachmentOfCard(links, card.sceneCardID());
    if (reading == ThumbnailReading::Now)
        look.thumbnail = thumbnailOfAttachment(links, look.thumbnailAttachmentID);
    else
        look.thumbnailPending = look.thumbnailAttachmentID != 0;
    look.indicators = indicatorsOfCard(story, card, links);
    return look;
}

QColor colorForStripe(const Screenplaydb& story, std::int64_t colorCodeID)
{
    return colorCodeID == 0 ? QColor(Qt::white) : colorOfCode(story.colorForColorCodeID(colorCodeID));
}

QColor emotionalChangeTypeColor(std::int64_t type, const QColor& otherwise)
{
    switch (type) {
    case 0:
        return Qt::white;
    case 1:
        return Qt::green;
    case 2:
        return Qt::red;
    default:
        return otherwise;
    }
}
