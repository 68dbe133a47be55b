// The widget tests run in one application object, without a display.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Vexlorin"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
