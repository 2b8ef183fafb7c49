#include "StoryGenres.h"

const QStringList& storyGenres()
{
    static const QStringList genres = {
        QStringLiteral("Action"),   QStringLiteral("Adventure"), QStringLiteral("Comedy"),
        QStringLiteral("Crime"),    QStringLiteral("Drama"),     QStringLiteral("Family"),
        QStringLiteral("Fantasy"),  QStringLiteral("Horror"),    QStringLiteral("Musical"),
        QStringLiteral("Mystery"),  QStringLiteral("Romance"),   QStringLiteral("Science Fiction"),
        QStringLiteral("Sports"),   QStringLiteral("Thriller"),  QStringLiteral("War"),
        QStringLiteral("Western")};
    return genres;
}
