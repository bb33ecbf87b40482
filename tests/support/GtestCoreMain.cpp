#include <QCoreApplication>
#include <gtest/gtest.h>

// Core tests get an event loop too: store operations let pending events run between steps.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
