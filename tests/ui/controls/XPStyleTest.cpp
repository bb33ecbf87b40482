#include "ui/controls/XPStyle.h"

#include <QApplication>
#include <QStyle>
#include <QWidget>

#include <gtest/gtest.h>

TEST(XPStyle, SitsOnItsWindowHiddenAtItsFixedSizeWithoutChangingTheStyle)
{
    QStyle* desktopStyle = QApplication::style();
    QWidget loginWindow;
    loginWindow.resize(400, 300);
    auto* xpStyle1 = new XPStyle(&loginWindow);
    loginWindow.show();

    EXPECT_FALSE(xpStyle1->isVisible());
    xpStyle1->resize(300, 12);
    EXPECT_EQ(xpStyle1->size(), QSize(54, 54));
    EXPECT_EQ(QApplication::style(), desktopStyle);
}
