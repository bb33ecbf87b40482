#include "ui/InstanceActivation.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
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

TEST(InstanceActivationTest, TheRunningWindowComesToTheFrontAndAHiddenOneStaysHidden)
{
    QWidget hidden;
    QWidget window;
    window.show();
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    other.close();
    // An open context menu is no window to bring forward.
    QWidget popup(nullptr, Qt::Popup);
    popup.show();

    InstanceActivation::raiseProgramWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_FALSE(hidden.isVisible());
}
