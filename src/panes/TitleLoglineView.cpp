#include "TitleLoglineView.h"

#include "app/GuardedCall.h"
#include "model/Loglinedb.h"
#include "model/Screenplaydb.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TitleLoglineView::TitleLoglineView(MyDocument* parent, Screenplaydb* screenplay)
    : BaseViewController(QStringLiteral("TitleLoglineView"), parent, screenplay)
{
    auto* view = new QWidget;
    view->setObjectName(QStringLiteral("TitleLoglineView"));
    auto* form = new QFormLayout(view);
    tfTitle_ = new QLineEdit;
    tfTitle_->setObjectName(QStringLiteral("tfTitle"));
    tfLogline_ = new QLineEdit;
    tfLogline_->setObjectName(QStringLiteral("tfLogline"));
    cmdLoglines_ = new QPushButton(tr("Loglines..."));
    cmdLoglines_->setObjectName(QStringLiteral("cmdLoglines"));
    lblGenre_ = new QLabel;
    lblGenre_->setObjectName(QStringLiteral("lblGenre"));
    lblPageCount_ = new QLabel;
    lblPageCount_->setObjectName(QStringLiteral("lblPageCount"));
    auto* loglineRow = new QHBoxLayout;
    loglineRow->addWidget(tfLogline_, 1);
    loglineRow->addWidget(cmdLoglines_);
    form->addRow(tr("Title:"), tfTitle_);
    form->addRow(tr("Logline:"), loglineRow);
    form->addRow(tr("Genre:"), lblGenre_);
    form->addRow(tr("Pages:"), lblPageCount_);
    setView(view);

    connect(tfTitle_, &QLineEdit::editingFinished, this, [this] { guardedCall([this] { titleEdited(); }); });
    connect(tfLogline_, &QLineEdit::editingFinished, this, [this] { guardedCall([this] { loglineEdited(); }); });
}

void TitleLoglineView::refreshView()
{
    Screenplaydb* story = screenplay();
    tfTitle_->setText(story->screenplayTitle());
    const Loglinedb* logline = story->currentLogline();
    tfLogline_->setText(logline ? logline->logline() : QString());
    lblGenre_->setText(story->genre());
    lblPageCount_->setText(QString::number(story->pageCount()));
    cmdLoglines_->setVisible(story->logLines().size() >= 2);
}

void TitleLoglineView::titleEdited()
{
    screenplay()->setScreenplayTitle(tfTitle_->text());
    screenplay()->save();
}

void TitleLoglineView::loglineEdited()
{
    if (Loglinedb* logline = screenplay()->currentLogline()) {
        logline->setLogline(tfLogline_->text());
        logline->save();
    }
}
