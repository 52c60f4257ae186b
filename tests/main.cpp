#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char* argv[]) {
    // Set here rather than through CTest, whose environment does not reach the run that lists
    // the tests.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("runtally-tests"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
