#include "ProgressBarTestSupport.h"

#include <QImage>
#include <QPainter>
#include <QPalette>

#include <gtest/gtest.h>

using progressbartest::grey;
using progressbartest::pixel;

TEST(XP_ProgressBarColor, LightenColorMovesEachChannelTowardsWhite)
{
    struct Case { QColor color; int amount; QColor expected; };
    const Case cases[] = {
        {grey(0x40), 0, grey(0x40)},
        {grey(0x40), 10, grey(0x47)},   // the frame of the countdown bar
        {grey(0x40), 25, grey(0x52)},   // its end line
        {grey(0x40), 100, grey(0x8A)},  // the light end of its track
        {grey(0x40), 250, grey(0xFB)},  // the light top of its bar
        {grey(0x40), 255, grey(0xFF)},
        {QColor(0xC0, 0x20, 0x00), 80, QColor(0xD3, 0x65, 0x50)},
        {QColor(0xFF, 0xFF, 0xFF), 100, QColor(0xFF, 0xFF, 0xFF)},
        {QColor(0x00, 0x00, 0x00), 140, grey(140)},
        {grey(0x40), 300, grey(0xFF)},  // amounts are held to 0..255
        {grey(0x40), -20, grey(0x40)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(XP_ProgressBar::LightenColor(c.color, c.amount), c.expected)
            << c.color << " by " << c.amount;
}

TEST(XP_ProgressBarColor, BlendColorsWeighsTheFirstColourAndRounds)
{
    struct Case { QColor a; QColor b; int weight; QColor expected; };
    const Case cases[] = {
        {grey(0x40), Qt::black, 200, grey(0x32)},  // 50.2 -> 50: the frame of style 6
        {grey(0x40), Qt::black, 100, grey(0x19)},  // 25.1 -> 25: the bar of style 6
        {QColor(0xFF, 0x00, 0x80), QColor(0x00, 0xFF, 0x80), 128, QColor(0x80, 0x7F, 0x80)},
        {QColor(0xFF, 0x00, 0x00), QColor(0x00, 0x00, 0xFF), 255, QColor(0xFF, 0x00, 0x00)},
        {QColor(0xFF, 0x00, 0x00), QColor(0x00, 0x00, 0xFF), 0, QColor(0x00, 0x00, 0xFF)},
        {QColor(3, 3, 3), QColor(0, 0, 0), 128, QColor(2, 2, 2)},  // 1.506 rounds up
        {QColor(3, 3, 3), QColor(0, 0, 0), 127, QColor(1, 1, 1)},  // 1.494 rounds down
    };
    for (const Case& c : cases)
        EXPECT_EQ(XP_ProgressBar::BlendColors(c.a, c.b, c.weight), c.expected)
            << c.a << " with " << c.b << " at " << c.weight;
}

TEST(XP_ProgressBarColor, TranslateColorReadsRedFromTheLowestByte)
{
    struct Case { XP_ProgressBar::OleColor ole; QColor expected; };
    const Case cases[] = {
        {0x000000FF, QColor(0xFF, 0x00, 0x00)},
        {0x0000FF00, QColor(0x00, 0xFF, 0x00)},
        {0x00FF0000, QColor(0x00, 0x00, 0xFF)},
        {0x00404040, grey(0x40)},
        {0x00123456, QColor(0x56, 0x34, 0x12)},
        {0x01123456, QColor(0x56, 0x34, 0x12)},  // the type byte below the top bit is not a colour
    };
    for (const Case& c : cases)
        EXPECT_EQ(XP_ProgressBar::TranslateColor(c.ole), c.expected) << std::hex << c.ole;
    EXPECT_EQ(XP_ProgressBar::toOleColor(QColor(0x56, 0x34, 0x12)), 0x00123456u);
}

TEST(XP_ProgressBarColor, TranslateColorTakesSystemColoursFromThePalette)
{
    // Every entry of the palette distinct, so a wrong role or group cannot pass by accident.
    QPalette palette;
    int shade = 1;
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            if (role == QPalette::NoRole)
                continue;
            palette.setColor(group, QPalette::ColorRole(role), QColor(shade, 255 - shade, (shade * 7) % 256));
            ++shade;
        }
    }
    struct Case { int index; QPalette::ColorGroup group; QPalette::ColorRole role; };
    const Case cases[] = {
        {5, QPalette::Active, QPalette::Base},              // window background
        {8, QPalette::Active, QPalette::Text},              // window text
        {13, QPalette::Active, QPalette::Highlight},
        {14, QPalette::Active, QPalette::HighlightedText},
        {15, QPalette::Active, QPalette::Button},           // button face
        {16, QPalette::Active, QPalette::Dark},             // button shadow
        {17, QPalette::Disabled, QPalette::Text},           // grey text
        {18, QPalette::Active, QPalette::ButtonText},
        {20, QPalette::Active, QPalette::Light},            // button highlight
        {21, QPalette::Active, QPalette::Shadow},
        {22, QPalette::Active, QPalette::Midlight},
        {24, QPalette::Active, QPalette::ToolTipBase},
        {3, QPalette::Inactive, QPalette::Highlight},       // inactive caption
        {26, QPalette::Active, QPalette::Link},
    };
    for (const Case& c : cases) {
        const XP_ProgressBar::OleColor ole = 0x80000000u + XP_ProgressBar::OleColor(c.index);
        EXPECT_EQ(XP_ProgressBar::TranslateColor(ole, palette), palette.color(c.group, c.role)) << c.index;
    }
    // Indices without a system colour read as black, as the platform reports them.
    for (XP_ProgressBar::OleColor index : {25u, 31u, 0xFFu, 0x7FFFFFFFu})
        EXPECT_EQ(XP_ProgressBar::TranslateColor(0x80000000u | index, palette), QColor(0, 0, 0)) << index;
}

TEST(XP_ProgressBarColor, TranslatedSystemColoursAreOpaque)
{
    QPalette palette;
    palette.setColor(QPalette::Active, QPalette::Button, QColor(10, 20, 30, 40));
    const QColor face = XP_ProgressBar::TranslateColor(0x8000000Fu, palette);
    EXPECT_EQ(face, QColor(10, 20, 30));
    EXPECT_EQ(face.alpha(), 255);
}

namespace {

QImage blankImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

QString drawnPixels(const QImage& image)
{
    QString drawn;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                drawn += QStringLiteral("(%1,%2)").arg(x).arg(y);
    return drawn;
}

} // namespace

TEST(XP_ProgressBarDrawLine, LeavesOutTheEndPointInEveryDirection)
{
    struct Case { int x, y, x2, y2; QString pixels; };
    const Case cases[] = {
        {1, 1, 4, 1, QStringLiteral("(1,1)(2,1)(3,1)")},
        {4, 1, 1, 1, QStringLiteral("(2,1)(3,1)(4,1)")},  // backwards: from the start, not the end
        {2, 0, 2, 3, QStringLiteral("(2,0)(2,1)(2,2)")},
        {2, 3, 2, 0, QStringLiteral("(2,1)(2,2)(2,3)")},
        {0, 0, 3, 3, QStringLiteral("(0,0)(1,1)(2,2)")},
        {3, 0, 0, 3, QStringLiteral("(3,0)(2,1)(1,2)")},
        {2, 2, 2, 2, QString()},                           // no length, nothing drawn
        {-100000000, 2, 1000000000, 2, QStringLiteral("(0,2)(1,2)(2,2)(3,2)(4,2)")},
    };
    for (const Case& c : cases) {
        QImage image = blankImage(5, 5);
        QPainter painter(&image);
        const QPen before(Qt::green, 3);
        painter.setPen(before);
        XP_ProgressBar::DrawLine(c.x, c.y, c.x2, c.y2, painter, Qt::black);
        EXPECT_EQ(painter.pen(), before) << "pen not restored";
        painter.end();
        EXPECT_EQ(drawnPixels(image), c.pixels) << c.x << "," << c.y << " -> " << c.x2 << "," << c.y2;
    }
}

TEST(XP_ProgressBarDrawGradient, RunsFromTheEndColourToTheStartColourOverSteps)
{
    // Horizontal lines: y2 counts steps, x2 is where each line stops (left out).
    QImage image = blankImage(8, 8);
    {
        QPainter painter(&image);
        XP_ProgressBar::DrawGradient(grey(0), grey(100), 1, 2, 4, 4, painter, false);
    }
    const int rows[] = {0, 25, 50, 75, 100};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(pixel(image, 1, 2 + i), grey(rows[i])) << "row " << 2 + i;
        EXPECT_EQ(pixel(image, 3, 2 + i), grey(rows[i])) << "row " << 2 + i;
        EXPECT_EQ(pixel(image, 4, 2 + i), grey(255)) << "line end drawn in row " << 2 + i;
    }
    EXPECT_EQ(pixel(image, 2, 1), grey(255));
    EXPECT_EQ(pixel(image, 2, 7), grey(255));

    // Vertical lines with bH: x2 counts steps, y2 is where each line stops.
    QImage vertical = blankImage(8, 8);
    {
        QPainter painter(&vertical);
        XP_ProgressBar::DrawGradient(QColor(200, 0, 0), QColor(0, 0, 200), 2, 1, 2, 5, painter, true);
    }
    EXPECT_EQ(pixel(vertical, 2, 1), QColor(200, 0, 0));
    EXPECT_EQ(pixel(vertical, 3, 4), QColor(100, 0, 100));
    EXPECT_EQ(pixel(vertical, 4, 3), QColor(0, 0, 200));
    EXPECT_EQ(pixel(vertical, 5, 3), grey(255));
    EXPECT_EQ(pixel(vertical, 3, 5), grey(255));
}

TEST(XP_ProgressBarDrawGradient, RoundsEachStepHalfToEven)
{
    // 0 -> 5 over 10 steps: the halves 0.5, 1.5, 2.5, 3.5, 4.5 round to 0, 2, 2, 4, 4.
    QImage image = blankImage(3, 12);
    {
        QPainter painter(&image);
        XP_ProgressBar::DrawGradient(grey(0), grey(5), 0, 0, 3, 10, painter, false);
    }
    const int expected[] = {0, 0, 1, 2, 2, 2, 3, 4, 4, 4, 5};
    for (int i = 0; i <= 10; ++i)
        EXPECT_EQ(pixel(image, 1, i), grey(expected[i])) << "step " << i;
}

TEST(XP_ProgressBarDrawGradient, NoStepsDrawsOneLineAndNegativeStepsNone)
{
    QImage image = blankImage(6, 6);
    {
        QPainter painter(&image);
        XP_ProgressBar::DrawGradient(QColor(9, 8, 7), QColor(200, 200, 200), 1, 1, 4, 0, painter, false);
        XP_ProgressBar::DrawGradient(QColor(9, 8, 7), QColor(200, 200, 200), 1, 3, 4, -1, painter, false);
    }
    EXPECT_EQ(drawnPixels(image), QStringLiteral("(1,1)(2,1)(3,1)"));
    EXPECT_EQ(pixel(image, 2, 1), QColor(9, 8, 7));
}
