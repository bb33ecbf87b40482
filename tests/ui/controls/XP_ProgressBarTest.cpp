#include "ProgressBarTestSupport.h"

#include <QBuffer>
#include <QPainter>
#include <QWidget>

#include <functional>
#include <limits>

#include <gtest/gtest.h>

using progressbartest::grey;
using progressbartest::loadCountdownBar;
using progressbartest::pixel;

namespace {

// The defaults a created control and one read from an empty property bag have in common.
void expectSharedDefaults(const XP_ProgressBar& bar)
{
    EXPECT_EQ(bar.max(), 100);
    EXPECT_EQ(bar.min(), 0);
    EXPECT_EQ(bar.value(), 0);
    EXPECT_EQ(bar.orientation(), 0);
    EXPECT_TRUE(bar.showText());
    EXPECT_TRUE(bar.percent());
    EXPECT_EQ(bar.color(), grey(0x40));
    EXPECT_EQ(bar.textColor(), grey(0xFF));
    EXPECT_EQ(bar.text(), QStringLiteral("%"));
    EXPECT_TRUE(bar.image().isNull());
}

} // namespace

TEST(XP_ProgressBar, IsCreatedWithItsOwnDefaults)
{
    XP_ProgressBar bar;
    expectSharedDefaults(bar);
    EXPECT_EQ(bar.percentage(), 0);
    EXPECT_EQ(bar.scrolling(), 0);
    EXPECT_EQ(bar.brushStyle(), 0);
    EXPECT_EQ(bar.font().family(), QStringLiteral("Tahoma"));
    EXPECT_EQ(bar.font().pointSize(), 8);
    EXPECT_EQ(bar.size(), QSize(288, 17));
}

TEST(XP_ProgressBar, MissingKeysReadAsThePersistedDefaults)
{
    XP_ProgressBar bar;
    bar.readProperties({});
    expectSharedDefaults(bar);
    // These two differ from the created values: a stored control draws in style 5 with cross hatching.
    EXPECT_EQ(bar.scrolling(), 5);
    EXPECT_EQ(bar.brushStyle(), 4);
    EXPECT_TRUE(bar.writeProperties().isEmpty());
}

TEST(XP_ProgressBar, WritesOnlyValuesThatDifferFromTheirDefaults)
{
    XP_ProgressBar fresh;
    const QVariantMap freshBag = fresh.writeProperties();
    EXPECT_EQ(freshBag, (QVariantMap{{QStringLiteral("BrushStyle"), 0}, {QStringLiteral("Scrolling"), 0}}));

    XP_ProgressBar countdown;
    loadCountdownBar(countdown);
    EXPECT_EQ(countdown.writeProperties(), (QVariantMap{{QStringLiteral("BrushStyle"), 0},
                                                        {QStringLiteral("Max"), 20},
                                                        {QStringLiteral("Text"), QStringLiteral("sec.")},
                                                        {QStringLiteral("Percent"), false}}));
}

TEST(XP_ProgressBar, EveryPersistedPropertyRoundTrips)
{
    QImage tile(4, 4, QImage::Format_RGB32);
    tile.fill(QColor(0, 200, 0));
    XP_ProgressBar source;
    source.setBrushStyle(2);
    source.setColor(QColor(0x12, 0x34, 0x56));
    source.setImage(QPixmap::fromImage(tile));
    source.setMax(40);
    source.setMin(3);
    source.setOrientation(1);
    source.setScrolling(7);
    source.setShowText(false);
    source.setText(QStringLiteral("Sek."));
    source.setTextColor(QColor(0xFF, 0x00, 0x00));
    source.setPercent(false);
    source.setValue(30);

    const QVariantMap bag = source.writeProperties();
    EXPECT_EQ(bag.value(QStringLiteral("Color")).toInt(), 0x563412);  // red in the lowest byte
    EXPECT_EQ(bag.value(QStringLiteral("TextColor")).toInt(), 0x0000FF);
    EXPECT_EQ(bag.size(), 12);

    XP_ProgressBar target;
    target.readProperties(bag);
    EXPECT_EQ(target.brushStyle(), 2);
    EXPECT_EQ(target.color(), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(target.image().toImage().pixel(1, 1), qRgb(0, 200, 0));
    EXPECT_EQ(target.max(), 40);
    EXPECT_EQ(target.min(), 3);
    EXPECT_EQ(target.orientation(), 1);
    EXPECT_EQ(target.scrolling(), 7);
    EXPECT_FALSE(target.showText());
    EXPECT_EQ(target.text(), QStringLiteral("Sek."));
    EXPECT_EQ(target.textColor(), QColor(0xFF, 0x00, 0x00));
    EXPECT_FALSE(target.percent());
    EXPECT_EQ(target.value(), 30);
    EXPECT_EQ(target.percentage(), 75);
    EXPECT_EQ(target.writeProperties(), bag);
}

TEST(XP_ProgressBar, ReadsSettingsStoredAsText)
{
    // Key/value stores such as INI files give every value back as a string.
    XP_ProgressBar bar;
    bar.readProperties({{QStringLiteral("Max"), QStringLiteral("20")},
                        {QStringLiteral("Value"), QStringLiteral("5")},
                        {QStringLiteral("Percent"), QStringLiteral("false")},
                        {QStringLiteral("ShowText"), QStringLiteral("-1")},
                        {QStringLiteral("Color"), QStringLiteral("255")},
                        {QStringLiteral("Scrolling"), QStringLiteral("kaputt")}});
    EXPECT_EQ(bar.max(), 20);
    EXPECT_EQ(bar.percentage(), 25);
    EXPECT_FALSE(bar.percent());
    EXPECT_TRUE(bar.showText());
    EXPECT_EQ(bar.color(), QColor(0xFF, 0x00, 0x00));
    EXPECT_EQ(bar.scrolling(), 5);  // unreadable values fall back to the default
}

TEST(XP_ProgressBar, StoredSystemColoursFollowThePalette)
{
    XP_ProgressBar bar;
    bar.readProperties({{QStringLiteral("Color"), int(0x8000000F)},
                        {QStringLiteral("TextColor"), int(0x80000012)}});
    EXPECT_EQ(bar.color(), XP_ProgressBar::TranslateColor(0x8000000Fu));
    EXPECT_EQ(bar.textColor(), XP_ProgressBar::TranslateColor(0x80000012u));
}

TEST(XP_ProgressBar, PercentageIsValueOverMaxRoundedHalfToEven)
{
    struct Case { int max; int value; int expected; };
    const Case cases[] = {
        {20, 10, 50},
        {20, 25, 125},  // not clamped
        {20, 0, 0},
        {20, 20, 100},
        {8, 1, 12},     // 12.5
        {8, 3, 38},     // 37.5
        {200, 1, 0},    // 0.5
        {200, 3, 2},    // 1.5
        {8, -1, -12},   // -12.5
        {3, 1, 33},
        {3, 2, 67},
        {0, 5, 0},      // no division by zero
        {1, std::numeric_limits<int>::max(), std::numeric_limits<int>::max()},
    };
    for (const Case& c : cases) {
        XP_ProgressBar bar;
        bar.setMin(7);  // Min is stored but not subtracted
        bar.setMax(c.max);
        bar.setValue(c.value);
        EXPECT_EQ(bar.percentage(), c.expected) << c.value << " of " << c.max;
    }
}

TEST(XP_ProgressBar, MaxTakesEffectAtTheNextValue)
{
    XP_ProgressBar bar;
    bar.setValue(10);
    EXPECT_EQ(bar.percentage(), 10);
    bar.setMax(20);
    EXPECT_EQ(bar.percentage(), 10);
    EXPECT_EQ(bar.caption(), QStringLiteral("10 %"));
    bar.setValue(10);
    EXPECT_EQ(bar.percentage(), 50);
}

namespace {

const QRgb kMarker = qRgb(1, 2, 3);

// Leaves a pixel in the off-screen picture that only a redraw paints over.
void mark(XP_ProgressBar& bar)
{
    QImage* picture = dynamic_cast<QImage*>(bar.hdc());
    ASSERT_NE(picture, nullptr);
    picture->setPixel(0, 0, kMarker);
}

bool marked(XP_ProgressBar& bar)
{
    const QImage* picture = dynamic_cast<QImage*>(bar.hdc());
    return picture && picture->pixel(0, 0) == kMarker;
}

} // namespace

TEST(XP_ProgressBar, RedrawsAtOnceWhenADrawnPropertyIsSet)
{
    struct Case { const char* name; std::function<void(XP_ProgressBar&)> set; bool redraws; };
    const Case cases[] = {
        {"Color", [](XP_ProgressBar& b) { b.setColor(Qt::red); }, true},
        {"Image", [](XP_ProgressBar& b) { b.setImage(QPixmap()); }, true},
        {"Orientation", [](XP_ProgressBar& b) { b.setOrientation(0); }, true},
        {"Scrolling", [](XP_ProgressBar& b) { b.setScrolling(5); }, true},
        {"ShowText", [](XP_ProgressBar& b) { b.setShowText(true); }, true},
        {"Text", [](XP_ProgressBar& b) { b.setText(QStringLiteral("sec.")); }, true},
        {"TextColor", [](XP_ProgressBar& b) { b.setTextColor(Qt::white); }, true},
        {"Percent", [](XP_ProgressBar& b) { b.setPercent(false); }, true},
        {"Value", [](XP_ProgressBar& b) { b.setValue(3); }, true},
        {"Max", [](XP_ProgressBar& b) { b.setMax(20); }, false},
        {"Min", [](XP_ProgressBar& b) { b.setMin(1); }, false},
        {"BrushStyle", [](XP_ProgressBar& b) { b.setBrushStyle(3); }, false},
    };
    for (const Case& c : cases) {
        XP_ProgressBar bar;
        bar.setScrolling(5);
        mark(bar);
        c.set(bar);
        EXPECT_EQ(!marked(bar), c.redraws) << c.name;
    }
}

TEST(XP_ProgressBar, OffscreenPictureOnlyGrows)
{
    QWidget window;
    window.resize(600, 100);
    auto* bar = new XP_ProgressBar(&window);
    window.show();

    const auto pictureSize = [bar]() {
        const QImage* picture = dynamic_cast<QImage*>(bar->hdc());
        return picture ? picture->size() : QSize();
    };
    bar->DrawProgressBar();
    EXPECT_EQ(pictureSize(), QSize(288, 17));
    bar->resize(100, 30);
    EXPECT_EQ(pictureSize(), QSize(288, 30));
    const uchar* bits = dynamic_cast<QImage*>(bar->hdc())->constBits();
    bar->resize(50, 10);
    bar->DrawProgressBar();
    bar->resize(288, 30);
    bar->setValue(40);
    EXPECT_EQ(pictureSize(), QSize(288, 30));
    EXPECT_EQ(dynamic_cast<QImage*>(bar->hdc())->constBits(), bits) << "a redraw allocated a new picture";
    bar->resize(400, 20);
    EXPECT_EQ(pictureSize(), QSize(400, 30));
}

TEST(XP_ProgressBar, ControlWithoutAreaDrawsOnItsWindow)
{
    XP_ProgressBar bar;
    bar.resize(0, 17);
    bar.DrawProgressBar();
    EXPECT_EQ(bar.hdc(), &bar);
    bar.resize(40, 0);
    bar.setValue(50);
    EXPECT_EQ(bar.hdc(), &bar);
    bar.resize(40, 10);
    bar.resizeOffscreenPicture();
    const QImage* picture = dynamic_cast<QImage*>(bar.hdc());
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->size(), QSize(40, 10));
}

TEST(XP_ProgressBar, PDrawCopiesABlockOfThePicture)
{
    XP_ProgressBar bar;
    loadCountdownBar(bar);
    bar.setValue(10);
    const QImage picture = *dynamic_cast<QImage*>(bar.hdc());

    struct Case { int xSrc, ySrc, widthSrc, heightSrc, xDst, yDst; QRect copied; };
    const Case cases[] = {
        {0, 0, 0, 0, 0, 0, QRect(0, 0, 288, 17)},      // 0 stands for the full size
        {140, 2, 6, 5, 3, 4, QRect(140, 2, 6, 5)},
        {10, 0, -1, 3, 0, 0, QRect(10, 0, 278, 3)},
    };
    for (const Case& c : cases) {
        QImage target(300, 30, QImage::Format_RGB32);
        target.fill(qRgb(9, 9, 9));
        {
            QPainter painter(&target);
            bar.pDraw(painter, c.xSrc, c.ySrc, c.widthSrc, c.heightSrc, c.xDst, c.yDst);
        }
        const QRect placed = c.copied.translated(c.xDst - c.xSrc, c.yDst - c.ySrc);
        EXPECT_EQ(target.copy(placed), picture.copy(c.copied)) << c.xSrc << "," << c.ySrc;
        EXPECT_EQ(target.pixel(placed.right() + 1, placed.top()), qRgb(9, 9, 9));
        EXPECT_EQ(target.pixel(placed.left(), placed.bottom() + 1), qRgb(9, 9, 9));
    }
}
