// main() of the GoogleTest programs: the transport and the screening logic wait on Qt's event
// loop, so every test runs inside a QCoreApplication.
#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
