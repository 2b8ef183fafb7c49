#include <QCoreApplication>

#include <gtest/gtest.h>

// Every suite runs inside a Qt application object so that resources, timers and (for widget
// suites, under the offscreen platform) windows work as in the program.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
