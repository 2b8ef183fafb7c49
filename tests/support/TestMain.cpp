#include <QCoreApplication>
#ifdef VANTORA_TEST_GUI
#include <QApplication>
#endif

#include <gtest/gtest.h>

// Every suite runs inside a Qt application object so that resources, timers and (for widget
// suites, under the offscreen platform) windows work as in the program.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
#ifdef VANTORA_TEST_GUI
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
#else
    QCoreApplication application(argc, argv);
#endif
    return RUN_ALL_TESTS();
}
