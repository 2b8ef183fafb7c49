#pragma once

#include "model/DateUtilities.h"

#include <QDialog>

class QDateTimeEdit;
class QPushButton;

// The small modal window in which the user sets a scene's start or end date and time, clears
// it or leaves it as it was. The run ends with one of the result codes below; the picked value
// is read afterwards. Times are wall-clock times on a 24-hour clock, to the minute.
class DatePicker : public QDialog
{
    Q_OBJECT

public:
    enum Result : int { Cancelled = 0, Cleared = 1, Saved = 2 };

    explicit DatePicker(QWidget* parent = nullptr);

    void setDateTime(const DateUtilities::DateTime& value);
    DateUtilities::DateTime dateTime() const;

    QDateTimeEdit* datePicker() const { return datePicker_; }
    QPushButton* cmdCancel() const { return cmdCancel_; }
    QPushButton* cmdClear() const { return cmdClear_; }
    QPushButton* cmdSave() const { return cmdSave_; }

private:
    QDateTimeEdit* datePicker_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
    QPushButton* cmdClear_ = nullptr;
    QPushButton* cmdSave_ = nullptr;
};
