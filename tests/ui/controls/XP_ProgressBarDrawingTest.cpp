#include "ProgressBarTestSupport.h"

#include <QImage>

#include <cstdlib>

#include <gtest/gtest.h>

using progressbartest::grey;
using progressbartest::loadCountdownBar;
using progressbartest::pixel;
using progressbartest::shot;

namespace {

struct PixelCase { int x; int y; QColor expected; };

void expectPixels(const QImage& image, std::initializer_list<PixelCase> cases, const char* what)
{
    for (const PixelCase& c : cases)
        EXPECT_EQ(pixel(image, c.x, c.y), c.expected) << what << " at (" << c.x << "," << c.y << ")";
}

// The countdown bar (style 5, 288 x 17, colour 404040) at Value of 20, without its caption.
QImage countdownWithoutCaption(int value)
{
    XP_ProgressBar bar;
    loadCountdownBar(bar);
    bar.setShowText(false);
    bar.setValue(value);
    return shot(bar);
}

// Colours of style 5 for 404040: frame, end line, track rows 2/8/14, bar rows 3/4/8/14.
const QColor kFrame = grey(0x47);
const QColor kEndLine = grey(0x52);
const QColor kTrackTop = grey(0x40), kTrackMiddle = grey(0x65), kTrackBottom = grey(0x8A);
const QColor kBarTop = grey(0xFB), kBarSecond = grey(0xEA), kBarMiddle = grey(0xA6), kBarBottom = grey(0x40);
const QColor kWhite = grey(0xFF);

// Pixels that differ between two renderings, as the caption's footprint.
QRect differingArea(const QImage& a, const QImage& b, int* count = nullptr)
{
    QRect area;
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) {
                area |= QRect(x, y, 1, 1);
                ++n;
            }
    if (count)
        *count = n;
    return area;
}

} // namespace

TEST(XP_ProgressBarStyle5, FrameTrackAndEmptyBarAtZero)
{
    const QImage image = countdownWithoutCaption(0);
    expectPixels(image,
                 {{0, 0, kFrame}, {287, 0, kFrame}, {0, 16, kFrame}, {287, 16, kFrame}, {150, 0, kFrame},
                  {150, 16, kFrame}, {287, 8, kFrame}, {0, 1, kFrame}, {0, 15, kFrame},
                  {150, 1, kWhite}, {150, 15, kWhite}, {1, 1, kWhite}, {286, 8, kWhite},
                  {200, 2, kTrackTop}, {200, 8, kTrackMiddle}, {200, 14, kTrackBottom}, {285, 14, kTrackBottom},
                  {2, 2, kTrackTop}, {4, 8, kTrackMiddle}},
                 "0 %");
    // The bar's lines run from x 3 back towards its end at 0, which they leave out, and the end
    // line at x 0 covers the frame between rows 2 and 14.
    expectPixels(image,
                 {{1, 3, kBarTop}, {3, 3, kBarTop}, {2, 8, kBarMiddle}, {3, 14, kBarBottom}, {1, 2, kWhite},
                  {0, 2, kEndLine}, {0, 8, kEndLine}, {0, 14, kEndLine}},
                 "0 % bar");
}

TEST(XP_ProgressBarStyle5, HalfWayTheBarEndsAtPOver101OfTheWidth)
{
    // Value 10 of 20: 50 %, the bar ends at 50 / 101 * 288 = 142.57 -> 143.
    const QImage image = countdownWithoutCaption(10);
    expectPixels(image,
                 {{3, 3, kBarTop}, {10, 4, kBarSecond}, {10, 8, kBarMiddle}, {10, 14, kBarBottom},
                  {142, 3, kBarTop}, {142, 8, kBarMiddle}, {142, 14, kBarBottom},
                  {2, 8, kTrackMiddle}, {10, 2, kTrackTop},                // bar starts at (3, 3)
                  {143, 2, kEndLine}, {143, 8, kEndLine}, {143, 14, kEndLine},
                  {143, 1, kWhite}, {143, 15, kWhite},
                  {144, 3, grey(0x46)}, {144, 8, kTrackMiddle}, {200, 14, kTrackBottom},
                  {0, 8, kFrame}, {287, 8, kFrame}, {143, 0, kFrame}, {143, 16, kFrame}},
                 "50 %");
}

TEST(XP_ProgressBarStyle5, AtFullTheBarStopsShortOfTheRightEdge)
{
    // 100 / 101 * 288 = 285.15 -> 285: the end line covers the track's last column.
    const QImage image = countdownWithoutCaption(20);
    expectPixels(image,
                 {{284, 3, kBarTop}, {284, 8, kBarMiddle}, {284, 14, kBarBottom}, {150, 8, kBarMiddle},
                  {285, 2, kEndLine}, {285, 8, kEndLine}, {285, 14, kEndLine},
                  {286, 8, kWhite}, {287, 8, kFrame}, {285, 15, kWhite}, {285, 1, kWhite}},
                 "100 %");
}

TEST(XP_ProgressBarStyle5, BarPastMaxRunsOverTheEdge)
{
    // Value 25 of 20: 125 %, clipped by the control.
    const QImage image = countdownWithoutCaption(25);
    expectPixels(image, {{286, 8, kBarMiddle}, {287, 8, kBarMiddle}, {287, 2, kFrame}, {287, 15, kFrame}},
                 "125 %");

    XP_ProgressBar huge;
    loadCountdownBar(huge);
    huge.setShowText(false);
    huge.setMax(1);
    huge.setValue(100000000);
    EXPECT_EQ(shot(huge), image);
}

TEST(XP_ProgressBarCaption, TextFollowsPercentAndStyle)
{
    struct Case { int scrolling; bool percent; int value; int percentage; QString text; QString expected; };
    const Case cases[] = {
        {5, false, 0, 0, QStringLiteral("sec."), QStringLiteral("0 sec.")},
        {5, false, 17, 85, QStringLiteral("sec."), QStringLiteral("17 sec.")},
        {5, false, -3, -15, QStringLiteral("sec."), QStringLiteral("-3 sec.")},
        {5, false, 4, 20, QString(), QStringLiteral("4 ")},
        {5, true, 9, 45, QStringLiteral("sec."), QStringLiteral("45 %")},
        {6, true, 25, 125, QStringLiteral("%"), QStringLiteral("125 %")},
        {2, false, 3, 15, QStringLiteral("sec."), QStringLiteral("Searching..")},
        {2, true, 3, 15, QStringLiteral("%"), QStringLiteral("Searching..")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(XP_ProgressBar::CaptionText(c.scrolling, c.percent, c.value, c.percentage, c.text), c.expected)
            << c.expected.toStdString();

    XP_ProgressBar countdown;
    loadCountdownBar(countdown);
    EXPECT_EQ(countdown.caption(), QStringLiteral("0 sec."));
    countdown.setValue(7);
    EXPECT_EQ(countdown.caption(), QStringLiteral("7 sec."));
    countdown.setPercent(true);
    EXPECT_EQ(countdown.caption(), QStringLiteral("35 %"));
}

TEST(XP_ProgressBarCaption, IsDrawnCentredInTheTextColour)
{
    for (int value : {0, 7, 20}) {
        XP_ProgressBar bar;
        loadCountdownBar(bar);
        bar.setValue(value);
        const QImage withText = shot(bar);
        bar.setShowText(false);
        const QImage withoutText = shot(bar);

        int changed = 0;
        const QRect area = differingArea(withText, withoutText, &changed);
        ASSERT_GT(changed, 20) << "no caption drawn at value " << value;
        // Centred: the footprint's middle lies within two pixels of the control's middle.
        EXPECT_LE(std::abs(area.left() + area.right() + 1 - 288), 4) << area.left() << ".." << area.right();
        EXPECT_LE(std::abs(area.top() + area.bottom() + 1 - 17), 4) << area.top() << ".." << area.bottom();
        EXPECT_LT(area.width(), 80);

        int white = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (qRed(withText.pixel(x, y)) > 0xE8 && qBlue(withText.pixel(x, y)) > 0xE8
                    && withText.pixel(x, y) != withoutText.pixel(x, y))
                    ++white;
        EXPECT_GT(white, 5) << "caption not white at value " << value;
    }
}

TEST(XP_ProgressBarCaption, LongerCaptionIsWiderAndTextColourApplies)
{
    XP_ProgressBar bar;
    loadCountdownBar(bar);
    bar.setShowText(false);
    const QImage plain = shot(bar);
    bar.setShowText(true);
    bar.setValue(1);
    QRect narrow = differingArea(shot(bar), plain);
    bar.setText(QStringLiteral("Sekunden verbleiben"));
    QRect wide = differingArea(shot(bar), plain);
    EXPECT_GT(wide.width(), narrow.width() + 30);

    bar.setTextColor(QColor(0xFF, 0x00, 0x00));
    const QImage red = shot(bar);
    int reddish = 0;
    for (int y = wide.top(); y <= wide.bottom(); ++y)
        for (int x = wide.left(); x <= wide.right(); ++x)
            if (qRed(red.pixel(x, y)) > qGreen(red.pixel(x, y)) + 60)
                ++reddish;
    EXPECT_GT(reddish, 10);
}

TEST(XP_ProgressBarCaption, Style6ShowsThePartOverTheBarInTheBarsLightColour)
{
    // A red bar makes the caption over it (LightenColor(Color, 80), reddish) tell from the grey C0C0C0.
    struct Counts { int grey = 0; int reddish = 0; int greyLeft = 0; int reddishRight = 0; };
    const auto countAt = [](int value) {
        XP_ProgressBar bar;
        bar.resize(288, 17);
        bar.setColor(QColor(0xC0, 0x20, 0x20));
        bar.setScrolling(6);
        bar.setValue(value);
        const QImage withText = shot(bar);
        bar.setShowText(false);
        const QImage withoutText = shot(bar);
        Counts counts;
        for (int y = 0; y < 17; ++y)
            for (int x = 0; x < 288; ++x) {
                const QRgb p = withText.pixel(x, y);
                if (p == withoutText.pixel(x, y))
                    continue;
                const bool isGrey = qRed(p) > 120 && std::abs(qRed(p) - qGreen(p)) <= 8
                                    && std::abs(qRed(p) - qBlue(p)) <= 8;
                const bool isReddish = qRed(p) > qGreen(p) + 40;
                counts.grey += isGrey;
                counts.reddish += isReddish;
                counts.greyLeft += isGrey && x < 143;
                counts.reddishRight += isReddish && x > 144;
            }
        return counts;
    };

    const Counts empty = countAt(0);
    EXPECT_GT(empty.grey, 5);
    EXPECT_EQ(empty.reddish, 0);

    const Counts half = countAt(50);  // the bar reaches 144 = the middle of the caption
    EXPECT_GT(half.grey, 2);
    EXPECT_GT(half.reddish, 2);
    EXPECT_EQ(half.greyLeft, 0);
    EXPECT_EQ(half.reddishRight, 0);

    const Counts full = countAt(100);  // past the caption: no grey copy under it
    EXPECT_EQ(full.grey, 0);
    EXPECT_GT(full.reddish, 5);
}

TEST(XP_ProgressBarStyles, OtherStylesDrawTheirFrameAndBarAtHalf)
{
    struct Case { int scrolling; std::initializer_list<PixelCase> pixels; };
    const Case cases[] = {
        // Frame LightenColor 100, bar LightenColor 180 from (1, 1) to 288 * 50 / 100 = 144.
        {3, {{0, 8, grey(0x8A)}, {10, 16, grey(0x8A)}, {1, 1, grey(0xC6)}, {143, 15, grey(0xC6)},
             {144, 8, kWhite}, {286, 8, kWhite}}},
        // Vertical gradient lines from x 2 over (288 - 4) * 50 / 100 = 142 steps, rows 2 to 13;
        // at x 73 the single-precision step gives 190.5000005 -> 191 (exact arithmetic: 190).
        {4, {{2, 2, grey(0xA8)}, {2, 13, grey(0xA8)}, {144, 8, grey(0xD5)}, {145, 8, kWhite},
             {50, 14, kWhite}, {73, 8, grey(0xBF)}}},
        // Black ground, frame BlendColors 200, bar from x 2 over 283 * 50 / 100 = 141.5 -> 142 steps.
        {6, {{0, 8, grey(0x32)}, {150, 16, grey(0x32)}, {2, 2, grey(0x22)}, {2, 14, grey(0x22)},
             {144, 8, grey(0x19)}, {145, 8, grey(0x00)}, {10, 1, grey(0x00)}, {10, 15, grey(0x00)}}},
    };
    for (const Case& c : cases) {
        XP_ProgressBar bar;
        bar.resize(288, 17);
        bar.setShowText(false);
        bar.setScrolling(c.scrolling);
        bar.setValue(50);
        const std::string what = "style " + std::to_string(c.scrolling);
        expectPixels(shot(bar), c.pixels, what.c_str());
    }
}

TEST(XP_ProgressBarStyles, Style7HatchesTheBarOnALightGround)
{
    XP_ProgressBar bar;
    bar.resize(288, 17);
    bar.setShowText(false);
    bar.setScrolling(7);
    bar.setValue(50);  // the bar ends at 288 * 50 / 101 = 143
    for (int brush : {0, 1, 4, 5}) {
        bar.setBrushStyle(brush);
        const QImage image = shot(bar);
        int dark = 0, light = 0;
        for (int y = 2; y < 15; ++y)
            for (int x = 2; x < 143; ++x) {
                dark += pixel(image, x, y) == grey(0x40);
                light += pixel(image, x, y) == grey(0xA8);
            }
        EXPECT_GT(dark, 100) << "brush " << brush;
        EXPECT_GT(light, 100) << "brush " << brush;
        EXPECT_EQ(dark + light, 141 * 13) << "brush " << brush;
        EXPECT_EQ(pixel(image, 143, 8), kWhite);
    }
    // Horizontal hatching: some rows are all line colour, the others all ground.
    bar.setBrushStyle(0);
    const QImage horizontal = shot(bar);
    for (int y = 2; y < 15; ++y)
        EXPECT_EQ(pixel(horizontal, 10, y), pixel(horizontal, 100, y)) << "row " << y;
}

TEST(XP_ProgressBarStyles, Style8TilesThePictureOnlyWhenThereIsOne)
{
    XP_ProgressBar bar;
    bar.resize(288, 17);
    bar.setShowText(false);
    bar.setScrolling(8);
    bar.setValue(50);
    EXPECT_EQ(pixel(shot(bar), 100, 8), kWhite);

    QImage tile(3, 3, QImage::Format_RGB32);
    tile.fill(QColor(0, 200, 0));
    tile.setPixel(0, 0, qRgb(200, 0, 0));
    bar.setImage(QPixmap::fromImage(tile));
    const QImage image = shot(bar);
    // Width 288 * 50 / 101 = 143 from x 2, height 17 - 4 from y 2; the tiles start at the origin.
    expectPixels(image,
                 {{2, 2, QColor(0, 200, 0)}, {3, 3, QColor(200, 0, 0)}, {144, 14, QColor(0, 200, 0)},
                  {6, 6, QColor(200, 0, 0)}, {145, 8, kWhite}, {100, 15, kWhite}, {1, 8, kWhite}},
                 "style 8");
}

TEST(XP_ProgressBarStyles, ClassicStylesFillFromTheStartInEitherOrientation)
{
    // Style 1 at 50 %: 50 / 98 of the 282-pixel bar = 144 pixels from x 3.
    XP_ProgressBar bar;
    bar.resize(288, 17);
    bar.setShowText(false);
    bar.setScrolling(1);
    bar.setValue(50);
    QImage image = shot(bar);
    EXPECT_NE(pixel(image, 4, 8), kWhite);
    EXPECT_NE(pixel(image, 146, 8), kWhite);
    EXPECT_EQ(pixel(image, 147, 8), kWhite);
    EXPECT_EQ(pixel(image, 0, 0), kWhite);   // rounded corner
    EXPECT_NE(pixel(image, 1, 1), kWhite);

    // Style 0 at 100 %: whole segments of 6 pixels with 2-pixel white gaps.
    bar.setScrolling(0);
    bar.setValue(100);
    image = shot(bar);
    for (int x = 3; x < 9; ++x)
        EXPECT_NE(pixel(image, x, 8), kWhite) << x;
    EXPECT_EQ(pixel(image, 9, 8), kWhite);
    EXPECT_EQ(pixel(image, 10, 8), kWhite);
    EXPECT_NE(pixel(image, 11, 8), kWhite);

    // Orientation 1 fills upwards from the bottom.
    bar.resize(17, 288);
    bar.setScrolling(1);
    bar.setOrientation(1);
    bar.setValue(50);
    image = shot(bar);
    EXPECT_NE(pixel(image, 8, 284), kWhite);
    EXPECT_NE(pixel(image, 8, 141), kWhite);
    EXPECT_EQ(pixel(image, 8, 140), kWhite);
    EXPECT_EQ(pixel(image, 8, 10), kWhite);
}

TEST(XP_ProgressBarStyles, Style2ShowsMovingBlocksAndSearching)
{
    XP_ProgressBar bar;
    bar.resize(288, 17);
    bar.setScrolling(2);
    bar.setValue(0);
    EXPECT_EQ(bar.caption(), QStringLiteral("Searching.."));
    bar.setShowText(false);
    const QImage start = shot(bar);
    bar.setValue(100);
    const QImage end = shot(bar);
    // The first block starts at x 3 at 0 % and 45 pixels further right at 100 %.
    EXPECT_NE(pixel(start, 4, 8), kWhite);
    EXPECT_EQ(pixel(end, 4, 8), kWhite);
    EXPECT_NE(pixel(end, 49, 8), kWhite);
    EXPECT_EQ(pixel(start, 200, 8), kWhite);
}
