#include <QApplication>
#include <QLabel>
#include <QMainWindow>

// Until the document shell lands the application opens a plain start window.
int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantora"));
    QApplication::setApplicationVersion(QStringLiteral(VANTORA_VERSION));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Vantora"));
    auto* label = new QLabel(QStringLiteral("Vantora %1").arg(QApplication::applicationVersion()), &window);
    label->setAlignment(Qt::AlignCenter);
    window.setCentralWidget(label);
    window.resize(640, 400);
    window.show();
    return application.exec();
}
