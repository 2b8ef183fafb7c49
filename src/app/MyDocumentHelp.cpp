// The document's help: topics shown in its own advice window, and the automatic tip shown
// once a second after an opened story's window is laid out.
#include "MyDocument.h"

#include "AutoTips.h"
#include "platform/Platform.h"

#include <QDebug>

void MyDocument::showHelp(QObject* sender)
{
    const QString topic = helpTopicOf(sender);
    qDebug().noquote() << "get help for topic" << topic;
    showHelpForTopic(topic);
}

void MyDocument::showHelpForTopic(const QString& key)
{
    showAdvice(adviceWindow_, key);
}

long MyDocument::randomNumberWithMax(long n) const
{
    return AutoTips::randomNumberWithMax(Platform::random(), n);
}

void MyDocument::showAutoTip()
{
    if (currentScreenplay_)
        showHelpForTopic(AutoTips::autoTipKey(*currentScreenplay_, Platform::random()));
}
