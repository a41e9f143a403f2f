#include <QApplication>
#include <QStandardPaths>

#include <gtest/gtest.h>

// The widget tests run on Qt's offscreen platform, also when started by hand or listed by the
// build, and keep their settings away from the user's own.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
