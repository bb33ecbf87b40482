#include "ui/InstanceActivation.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWidget>

TEST(InstanceActivationTest, ASecondStartReachesTheRunningCopy)
{
    QTemporaryDir data;
    ASSERT_TRUE(data.isValid());
    const QString socket = data.filePath("keywarden.socket");

    // Nobody listens yet: the second copy is told so and ends all the same.
    EXPECT_FALSE(InstanceActivation::activateRunning(socket, 200));

    // A socket file left by a crashed copy does not keep the running one from listening.
    ASSERT_TRUE(QFile(socket).open(QIODevice::WriteOnly));
    InstanceActivation running(socket);
    ASSERT_TRUE(running.listen());
    QSignalSpy requests(&running, &InstanceActivation::activationRequested);

    EXPECT_TRUE(InstanceActivation::activateRunning(socket));
    EXPECT_TRUE(requests.wait(2000));
    EXPECT_EQ(requests.count(), 1);
}

TEST(InstanceActivationTest, TheRunningWindowIsRestoredAndRaised)
{
    QWidget window;
    window.show();
    window.showMinimized();
    ASSERT_TRUE(window.windowState() & Qt::WindowMinimized);
    InstanceActivation::raiseProgramWindow();
    EXPECT_FALSE(window.windowState() & Qt::WindowMinimized);

    QWidget hidden;
    hidden.setWindowState(Qt::WindowMinimized);
    InstanceActivation::raiseProgramWindow();
    EXPECT_FALSE(hidden.isVisible()) << "a hidden window stays hidden";
}
