#include <QCoreApplication>
#include <gtest/gtest.h>

// The suites of the libraries below the window: Qt Core is all they have.
int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("runtally-tests"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
