#include "InitialBeatCards.h"

#include "PaneImages.h"
#include "app/AdviceWindow.h"
#include "app/GuardedCall.h"
#include "app/SmallViews.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kFontSize = 13;

} // namespace

InitialBeatCards::InitialBeatCards(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("InitialBeatCards"));
    setWindowTitle(tr("Initial Beat Cards"));
    setFont(standardFont(kFontSize, false));

    auto* intro = new QLabel(tr("Your story is ready for the board. A card is placed for each of the fifteen "
                                "beats.\nChoose the suggestion cards to place with them:"));
    intro->setObjectName(QStringLiteral("lblIntroduction"));
    intro->setFont(standardFont(kFontSize, true));
    intro->setStyleSheet(QStringLiteral("color: white"));

    auto* choices = new QGridLayout;
    int row = 0;
    // Each choice has a help button on the beat its cards belong to.
    auto addChoice = [this, choices, &row](const QString& caption, const QString& name, const QString& topic) {
        auto* box = new QCheckBox(caption);
        box->setObjectName(name);
        box->setStyleSheet(QStringLiteral("color: white"));
        auto* help = new QToolButton;
        help->setObjectName(name + QStringLiteral("Help"));
        help->setIcon(PaneImages::image(QStringLiteral("zorvin")));
        help->setAutoRaise(true);
        help->setProperty(kHelpTopicProperty, topic);
        help->setToolTip(tr("Advice"));
        connect(help, &QToolButton::clicked, this, [this, help] { guardedCall([this, help] { showHelp(help); }); });
        choices->addWidget(help, row, 0);
        choices->addWidget(box, row, 1);
        ++row;
        return box;
    };
    chkSetup_ = addChoice(tr("Set-Up cards: home, work and play"), QStringLiteral("chkSetup"), QStringLiteral("BEAT3"));
    chkDebate_ = addChoice(tr("Debate cards: home and work"), QStringLiteral("chkDebate"), QStringLiteral("BEAT5"));
    chkFunAndGames_ =
        addChoice(tr("B Story and Fun and Games cards"), QStringLiteral("chkFunAndGames"), QStringLiteral("BEAT8"));
    chkBadGuys_ = addChoice(tr("Bad Guys Close In cards: external and internal"), QStringLiteral("chkBadGuys"),
                            QStringLiteral("BEAT10"));
    chkFivePointFinale_ =
        addChoice(tr("Finale cards: five steps"), QStringLiteral("chkFivePointFinale"), QStringLiteral("BEAT14"));

    cmdProceed_ = new QPushButton(tr("Place the Cards"));
    cmdProceed_->setObjectName(QStringLiteral("cmdProceed"));
    cmdProceed_->setDefault(true);
    connect(cmdProceed_, &QPushButton::clicked, this, [this] { proceed(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdProceed_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addSpacing(8);
    layout->addLayout(choices);
    layout->addSpacing(8);
    layout->addLayout(buttons);
}

InitialBeatCards::~InitialBeatCards() = default;

std::array<bool, 5> InitialBeatCards::optionalCards() const
{
    return {chkSetup_->isChecked(), chkDebate_->isChecked(), chkFunAndGames_->isChecked(), chkBadGuys_->isChecked(),
            chkFivePointFinale_->isChecked()};
}

void InitialBeatCards::proceed()
{
    done(1);
}

void InitialBeatCards::showHelp(QObject* sender)
{
    // A window of the dialog's own, so that the running dialog does not block it.
    if (!adviceWindow_)
        adviceWindow_ = std::make_unique<AdviceWindow>(this);
    showAdvice(adviceWindow_, helpTopicOf(sender));
}
