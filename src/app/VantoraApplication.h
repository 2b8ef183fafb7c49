#pragma once

#include <QApplication>

// The application object. No exception ever crosses the event loop: one that reaches an
// event's delivery is logged and shown in an alert.
class VantoraApplication : public QApplication
{
public:
    VantoraApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Runs the whole program: the application object, the start-up and the event loop.
int runVantora(int argc, char** argv);
