#include "DatePicker.h"

#include <QDateTimeEdit>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

DatePicker::DatePicker(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("DatePicker"));
    setWindowTitle(tr("Date and Time"));
    auto* column = new QVBoxLayout(this);
    datePicker_ = new QDateTimeEdit(this);
    datePicker_->setObjectName(QStringLiteral("datePicker"));
    datePicker_->setDisplayFormat(QString::fromLatin1(DateUtilities::kDisplayDateTimeFormat));
    datePicker_->setCalendarPopup(true);
    datePicker_->setTimeSpec(Qt::LocalTime);
    column->addWidget(datePicker_);
    auto* buttons = new QHBoxLayout;
    cmdCancel_ = new QPushButton(tr("Cancel"), this);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    cmdClear_ = new QPushButton(tr("Clear"), this);
    cmdClear_->setObjectName(QStringLiteral("cmdClear"));
    cmdSave_ = new QPushButton(tr("Save"), this);
    cmdSave_->setObjectName(QStringLiteral("cmdSave"));
    cmdSave_->setDefault(true);
    for (QPushButton* button : {cmdCancel_, cmdClear_, cmdSave_})
        buttons->addWidget(button);
    column->addLayout(buttons);
    connect(cmdCancel_, &QPushButton::clicked, this, [this] { done(Cancelled); });
    connect(cmdClear_, &QPushButton::clicked, this, [this] { done(Cleared); });
    connect(cmdSave_, &QPushButton::clicked, this, [this] { done(Saved); });
}

void DatePicker::setDateTime(const DateUtilities::DateTime& value)
{
    datePicker_->setDateTime(QDateTime(value.date, value.time));
}

DateUtilities::DateTime DatePicker::dateTime() const
{
    const QDateTime value = datePicker_->dateTime();
    // Minutes only: the window shows no seconds.
    const QTime time(value.time().hour(), value.time().minute());
    return DateUtilities::DateTime{value.date(), time};
}
