#pragma once

#include "TimeLimit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

// Drives the modal panels of the real platform in a test. A panel blocks in its own loop, so the
// test's part is scheduled beforehand and runs inside that loop. Whatever is still pending when
// the driver goes (a panel that never appeared) fails the test and is dropped, so it cannot act on
// the next test's panels. A panel nobody expects (none is pending) is closed after a few seconds,
// failing the test: a stray panel ends the test instead of blocking the whole run.
class PanelDriver
{
public:
    PanelDriver()
    {
        auto* strays = new QTimer(&context_);
        strays->setInterval(kPollMs);
        QObject::connect(strays, &QTimer::timeout, strays, [this] {
            auto* stray = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!stray || pending_ > 0 || stray != stray_) {
                stray_ = pending_ > 0 ? nullptr : stray;
                strayTicks_ = 0;
                return;
            }
            if (++strayTicks_ * kPollMs < TestTime::limitMs(kStrayMs))
                return;
            ADD_FAILURE() << "an unexpected " << stray->metaObject()->className() << " stayed open";
            stray->done(QDialog::Rejected);
            stray_ = nullptr;
            strayTicks_ = 0;
        });
        strays->start();
    }

    ~PanelDriver()
    {
        if (pending_ > 0)
            ADD_FAILURE() << pending_ << " expected panel(s) never appeared";
    }

    PanelDriver(const PanelDriver&) = delete;
    PanelDriver& operator=(const PanelDriver&) = delete;

    // Acts on the next modal window of type Dialog once it is shown.
    template <typename Dialog>
    void whenShown(std::function<void(Dialog*)> act)
    {
        ++pending_;
        auto* poll = new QTimer(&context_);
        poll->setInterval(kPollMs);
        QObject::connect(poll, &QTimer::timeout, poll, [this, poll, act, tries = 0]() mutable {
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            if (!dialog && ++tries * kPollMs < TestTime::limitMs(kAppearMs))
                return;
            --pending_;
            poll->stop();
            poll->deleteLater();
            if (!dialog) {
                // Whatever other panel blocks the run is closed.
                ADD_FAILURE() << "no " << Dialog::staticMetaObject.className() << " appeared";
                if (auto* other = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                    other->done(QDialog::Rejected);
                return;
            }
            act(dialog);
            // A panel that the action failed to close would block the test run: close it.
            QTimer::singleShot(TestTime::limitMs(kStrayMs), &context_, [open = QPointer<Dialog>(dialog)] {
                if (open && open->isVisible()) {
                    ADD_FAILURE() << "the panel stayed open";
                    static_cast<QDialog*>(open.data())->done(QDialog::Rejected);
                }
            });
        });
        poll->start();
    }

    // Clicks the alert's button with `label`; an alert without one is closed, failing the test.
    void clickAlertButton(const QString& label)
    {
        whenShown<QMessageBox>([label](QMessageBox* box) {
            for (QAbstractButton* button : box->buttons()) {
                if (button->text() == label) {
                    button->click();
                    return;
                }
            }
            ADD_FAILURE() << "no button " << label.toStdString();
            box->reject();
        });
    }

private:
    static constexpr int kPollMs = 10;
    static constexpr int kAppearMs = 5000;
    static constexpr int kStrayMs = 3000;

    QObject context_;
    int pending_ = 0;
    QPointer<QDialog> stray_;
    int strayTicks_ = 0;
};
