#include "ui/controls/XP_ProgressBar.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <QResizeEvent>
#include <QTransform>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <limits>

namespace {

// Persisted defaults: a missing key reads as these, and values equal to them are not written.
constexpr int kDefaultBrushStyle = 4;
constexpr XP_ProgressBar::OleColor kDefaultColor = 0x404040;
constexpr int kDefaultMax = 100;
constexpr int kDefaultMin = 0;
constexpr int kDefaultOrientation = 0;
constexpr int kDefaultScrolling = 5;
constexpr bool kDefaultShowText = true;
constexpr XP_ProgressBar::OleColor kDefaultTextColor = 0xFFFFFF;
constexpr bool kDefaultPercent = true;
constexpr int kDefaultValue = 0;
const QString kDefaultText = QStringLiteral("%");

// The countdown strip of the main window: 4320 x 255 twips.
constexpr int kHintWidth = 288;
constexpr int kHintHeight = 17;

constexpr XP_ProgressBar::OleColor kSystemColorFlag = 0x80000000u;
// System colour indices used for the edges of styles 4, 7 and 8.
constexpr int kBtnShadow = 16;
constexpr int kBtnHighlight = 20;
constexpr int k3dDkShadow = 21;
constexpr int k3dLight = 22;
constexpr int kNoEdge = -1;

// Coordinates are pulled into this range before rectangles are built, so a bar that runs far
// past the picture (Value well above Max) cannot overflow; such pixels are clipped anyway.
constexpr int kCoordinateLimit = 1 << 20;
// A slanted line longer than this cannot show on any control.
constexpr qint64 kMaxSlantedSteps = 1 << 16;

struct SystemColor
{
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// System colour index -> the palette entry that plays the same part on this desktop.
// NColorRoles marks an index without a colour (it reads as black).
constexpr std::array<SystemColor, 31> kSystemColors = {{
    {QPalette::Active, QPalette::Button},             // 0 scroll bar
    {QPalette::Active, QPalette::Window},             // 1 desktop
    {QPalette::Active, QPalette::Highlight},          // 2 active caption
    {QPalette::Inactive, QPalette::Highlight},        // 3 inactive caption
    {QPalette::Active, QPalette::Window},             // 4 menu
    {QPalette::Active, QPalette::Base},               // 5 window
    {QPalette::Active, QPalette::Shadow},             // 6 window frame
    {QPalette::Active, QPalette::WindowText},         // 7 menu text
    {QPalette::Active, QPalette::Text},               // 8 window text
    {QPalette::Active, QPalette::HighlightedText},    // 9 caption text
    {QPalette::Active, QPalette::Window},             // 10 active border
    {QPalette::Inactive, QPalette::Window},           // 11 inactive border
    {QPalette::Active, QPalette::Mid},                // 12 application workspace
    {QPalette::Active, QPalette::Highlight},          // 13 highlight
    {QPalette::Active, QPalette::HighlightedText},    // 14 highlight text
    {QPalette::Active, QPalette::Button},             // 15 button face
    {QPalette::Active, QPalette::Dark},               // 16 button shadow
    {QPalette::Disabled, QPalette::Text},             // 17 grey text
    {QPalette::Active, QPalette::ButtonText},         // 18 button text
    {QPalette::Inactive, QPalette::HighlightedText},  // 19 inactive caption text
    {QPalette::Active, QPalette::Light},              // 20 button highlight
    {QPalette::Active, QPalette::Shadow},             // 21 3D dark shadow
    {QPalette::Active, QPalette::Midlight},           // 22 3D light
    {QPalette::Active, QPalette::ToolTipText},        // 23 tooltip text
    {QPalette::Active, QPalette::ToolTipBase},        // 24 tooltip background
    {QPalette::Active, QPalette::NColorRoles},        // 25 unused
    {QPalette::Active, QPalette::Link},               // 26 hot-tracked item
    {QPalette::Active, QPalette::Highlight},          // 27 active caption gradient
    {QPalette::Inactive, QPalette::Highlight},        // 28 inactive caption gradient
    {QPalette::Active, QPalette::Highlight},          // 29 menu highlight
    {QPalette::Active, QPalette::Window},             // 30 menu bar
}};

// Positions and colour channels round half to even, like every number-to-integer step here.
int roundHalfEven(double x)
{
    if (std::isnan(x))
        return 0;
    double whole = std::floor(x);
    const double fraction = x - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0))
        whole += 1.0;
    return static_cast<int>(std::clamp(whole, double(std::numeric_limits<int>::min()),
                                       double(std::numeric_limits<int>::max())));
}

int clampCoordinate(qint64 v)
{
    return static_cast<int>(std::clamp<qint64>(v, -kCoordinateLimit, kCoordinateLimit));
}

int computePercentage(int value, int max)
{
    if (max == 0)
        return 0;
    return roundHalfEven(double(value) * 100.0 / double(max));
}

// A rectangle given by its corners, right and bottom excluded; empty when inverted.
void fillCorners(QPainter& painter, qint64 left, qint64 top, qint64 right, qint64 bottom, const QBrush& brush)
{
    const int l = clampCoordinate(left), t = clampCoordinate(top);
    const int r = clampCoordinate(right), b = clampCoordinate(bottom);
    if (r > l && b > t)
        painter.fillRect(QRect(l, t, r - l, b - t), brush);
}

// A 1-pixel border just inside the rectangle; the second colour takes the bottom and right sides.
void frameRect(QPainter& painter, const QRect& rect, const QColor& topLeft, const QColor& bottomRight)
{
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    const int l = rect.left(), t = rect.top(), r = l + rect.width(), b = t + rect.height();
    fillCorners(painter, l, t, r, t + 1, topLeft);
    fillCorners(painter, l, t, l + 1, b, topLeft);
    fillCorners(painter, l, b - 1, r, b, bottomRight);
    fillCorners(painter, r - 1, t, r, b, bottomRight);
}

QColor readColor(const QVariant& stored, XP_ProgressBar::OleColor fallback)
{
    if (stored.metaType() == QMetaType::fromType<QColor>())
        return stored.value<QColor>();
    bool ok = false;
    const qlonglong ole = stored.toLongLong(&ok);
    return XP_ProgressBar::TranslateColor(ok ? static_cast<XP_ProgressBar::OleColor>(ole) : fallback);
}

int readInt(const QVariant& stored, int fallback)
{
    bool ok = false;
    const int value = stored.toInt(&ok);
    return ok ? value : fallback;
}

bool readBool(const QVariant& stored, bool fallback)
{
    return stored.isValid() ? stored.toBool() : fallback;
}

QPixmap readPicture(const QVariant& stored)
{
    if (stored.metaType() == QMetaType::fromType<QPixmap>())
        return stored.value<QPixmap>();
    if (stored.metaType() == QMetaType::fromType<QImage>())
        return QPixmap::fromImage(stored.value<QImage>());
    QPixmap picture;
    if (stored.metaType() == QMetaType::fromType<QByteArray>())
        picture.loadFromData(stored.toByteArray());
    return picture;
}

} // namespace

XP_ProgressBar::XP_ProgressBar(QWidget* parent)
    : QWidget(parent)
    , m_color(TranslateColor(kDefaultColor))
    , m_text(kDefaultText)
    , m_textColor(TranslateColor(kDefaultTextColor))
{
    // Every pixel is ours; Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPointSize(8);
    setFont(tahoma);
    resize(sizeHint());
}

QSize XP_ProgressBar::sizeHint() const
{
    return QSize(kHintWidth, kHintHeight);
}

void XP_ProgressBar::setBrushStyle(int style)
{
    m_brushStyle = style;
}

void XP_ProgressBar::setColor(const QColor& color)
{
    m_color = color;
    DrawProgressBar();
}

void XP_ProgressBar::setImage(const QPixmap& image)
{
    m_image = image;
    DrawProgressBar();
}

void XP_ProgressBar::setMax(int max)
{
    m_max = max;
}

void XP_ProgressBar::setMin(int min)
{
    m_min = min;
}

void XP_ProgressBar::setOrientation(int orientation)
{
    m_orientation = orientation;
    DrawProgressBar();
}

void XP_ProgressBar::setScrolling(int style)
{
    m_scrolling = style;
    DrawProgressBar();
}

void XP_ProgressBar::setShowText(bool show)
{
    m_showText = show;
    DrawProgressBar();
}

void XP_ProgressBar::setText(const QString& text)
{
    m_text = text;
    DrawProgressBar();
}

void XP_ProgressBar::setTextColor(const QColor& color)
{
    m_textColor = color;
    DrawProgressBar();
}

void XP_ProgressBar::setPercent(bool percent)
{
    m_percent = percent;
    DrawProgressBar();
}

void XP_ProgressBar::setValue(int value)
{
    m_value = value;
    m_percentage = computePercentage(value, m_max);
    DrawProgressBar();
}

QString XP_ProgressBar::caption() const
{
    return CaptionText(m_scrolling, m_percent, m_value, m_percentage, m_text);
}

QString XP_ProgressBar::CaptionText(int scrolling, bool percent, int value, int percentage, const QString& text)
{
    if (scrolling == 2)
        return QStringLiteral("Searching..");
    if (!percent)
        return QString::number(value) + QLatin1Char(' ') + text;
    return QString::number(percentage) + QStringLiteral(" %");
}

void XP_ProgressBar::readProperties(const QVariantMap& bag)
{
    // Value comes last so that its percentage is computed with the stored Max.
    setBrushStyle(readInt(bag.value(QStringLiteral("BrushStyle")), kDefaultBrushStyle));
    setColor(readColor(bag.value(QStringLiteral("Color")), kDefaultColor));
    setImage(readPicture(bag.value(QStringLiteral("Picture"))));
    setMax(readInt(bag.value(QStringLiteral("Max")), kDefaultMax));
    setMin(readInt(bag.value(QStringLiteral("Min")), kDefaultMin));
    setOrientation(readInt(bag.value(QStringLiteral("Orientation")), kDefaultOrientation));
    setScrolling(readInt(bag.value(QStringLiteral("Scrolling")), kDefaultScrolling));
    setShowText(readBool(bag.value(QStringLiteral("ShowText")), kDefaultShowText));
    const QVariant text = bag.value(QStringLiteral("Text"));
    setText(text.isValid() ? text.toString() : kDefaultText);
    setTextColor(readColor(bag.value(QStringLiteral("TextColor")), kDefaultTextColor));
    setPercent(readBool(bag.value(QStringLiteral("Percent")), kDefaultPercent));
    setValue(readInt(bag.value(QStringLiteral("Value")), kDefaultValue));
}

QVariantMap XP_ProgressBar::writeProperties() const
{
    QVariantMap bag;
    const auto put = [&bag](const QString& key, const QVariant& value, const QVariant& fallback) {
        if (value != fallback)
            bag.insert(key, value);
    };
    put(QStringLiteral("BrushStyle"), m_brushStyle, kDefaultBrushStyle);
    put(QStringLiteral("Color"), int(toOleColor(m_color)), int(kDefaultColor));
    if (!m_image.isNull()) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        m_image.save(&buffer, "PNG");
        bag.insert(QStringLiteral("Picture"), png);
    }
    put(QStringLiteral("Max"), m_max, kDefaultMax);
    put(QStringLiteral("Min"), m_min, kDefaultMin);
    put(QStringLiteral("Orientation"), m_orientation, kDefaultOrientation);
    put(QStringLiteral("Scrolling"), m_scrolling, kDefaultScrolling);
    put(QStringLiteral("ShowText"), m_showText, kDefaultShowText);
    put(QStringLiteral("Text"), m_text, kDefaultText);
    put(QStringLiteral("TextColor"), int(toOleColor(m_textColor)), int(kDefaultTextColor));
    put(QStringLiteral("Percent"), m_percent, kDefaultPercent);
    put(QStringLiteral("Value"), m_value, kDefaultValue);
    return bag;
}

void XP_ProgressBar::DrawProgressBar()
{
    // A hidden widget gets its resize events only when shown, so the size is checked here too.
    sizeOffscreen(width(), height());
    if (!m_offscreen.isNull()) {
        QPainter painter(&m_offscreen);
        paintControl(painter);
    }
    update();
}

QPaintDevice* XP_ProgressBar::hdc()
{
    if (m_offscreen.isNull())
        return this;
    return &m_offscreen;
}

void XP_ProgressBar::resizeOffscreenPicture()
{
    sizeOffscreen(width(), height());
}

void XP_ProgressBar::pDraw(QPainter& hdc, int xSrc, int ySrc, int widthSrc, int heightSrc, int xDst, int yDst) const
{
    if (m_offscreen.isNull())
        return;
    const int w = widthSrc > 0 ? widthSrc : m_offscreen.width();
    const int h = heightSrc > 0 ? heightSrc : m_offscreen.height();
    hdc.drawImage(QPoint(xDst, yDst), m_offscreen, QRect(xSrc, ySrc, w, h));
}

void XP_ProgressBar::paintEvent(QPaintEvent*)
{
    sizeOffscreen(width(), height());
    if (m_offscreen.isNull()) {
        QPainter window(this);
        paintControl(window);
        return;
    }
    {
        QPainter picture(&m_offscreen);
        paintControl(picture);
    }
    QPainter window(this);
    pDraw(window, 0, 0, width(), height(), 0, 0);
}

void XP_ProgressBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    sizeOffscreen(width(), height());
}

void XP_ProgressBar::sizeOffscreen(int width, int height)
{
    if (!m_offscreen.isNull() && width <= m_offscreen.width() && height <= m_offscreen.height())
        return;
    if (m_offscreen.isNull() && (width <= 0 || height <= 0))
        return;
    // The picture only grows, so a control that shrinks and grows back allocates nothing.
    QImage grown(std::max(width, m_offscreen.width()), std::max(height, m_offscreen.height()),
                 QImage::Format_RGB32);
    if (grown.isNull()) {
        m_offscreen = QImage(); // without a picture the control draws straight on its window
        return;
    }
    grown.fill(Qt::white);
    m_offscreen = std::move(grown);
}

void XP_ProgressBar::DrawLine(int x, int y, int width, int height, QPainter& cHdc, const QColor& color)
{
    if (x == width && y == height)
        return;
    if (y == height) {
        const int from = clampCoordinate(x), to = clampCoordinate(width);
        if (to > from)
            fillCorners(cHdc, from, y, to, qint64(y) + 1, color);
        else if (to < from)
            fillCorners(cHdc, qint64(to) + 1, y, qint64(from) + 1, qint64(y) + 1, color);
        return;
    }
    if (x == width) {
        const int from = clampCoordinate(y), to = clampCoordinate(height);
        if (to > from)
            fillCorners(cHdc, x, from, qint64(x) + 1, to, color);
        else if (to < from)
            fillCorners(cHdc, x, qint64(to) + 1, qint64(x) + 1, qint64(from) + 1, color);
        return;
    }
    // Slanted lines: Bresenham from the start, stopping before the end point.
    const QPen previous = cHdc.pen();
    cHdc.setPen(QPen(color, 0));
    const qint64 dx = std::llabs(qint64(width) - x), dy = -std::llabs(qint64(height) - y);
    const int sx = width > x ? 1 : -1, sy = height > y ? 1 : -1;
    qint64 error = dx + dy;
    qint64 px = x, py = y;
    for (qint64 step = 0; step < kMaxSlantedSteps && !(px == width && py == height); ++step) {
        cHdc.drawPoint(QPoint(clampCoordinate(px), clampCoordinate(py)));
        const qint64 twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            px += sx;
        }
        if (twice <= dx) {
            error += dx;
            py += sy;
        }
    }
    cHdc.setPen(previous);
}

void XP_ProgressBar::DrawGradient(const QColor& lEndColor, const QColor& lStartcolor, int x, int y, int x2,
                                  int y2, QPainter& hdc, bool bH)
{
    const int steps = bH ? x2 : y2;
    if (steps < 0)
        return;
    const int first[3] = {lEndColor.red(), lEndColor.green(), lEndColor.blue()};
    const int last[3] = {lStartcolor.red(), lStartcolor.green(), lStartcolor.blue()};
    // Single-precision increments, as the stored look was computed with them.
    float increment[3] = {0.0f, 0.0f, 0.0f};
    if (steps > 0) {
        for (int c = 0; c < 3; ++c)
            increment[c] = float(last[c] - first[c]) / float(steps);
    }

    // Only lines that can land on the device are drawn: a bar far past its end would
    // otherwise cost one line per pixel of overshoot.
    qint64 lowest = 0, highest = steps;
    const qint64 origin = bH ? x : y;
    if (const QPaintDevice* device = hdc.device()) {
        const QRectF visible =
            hdc.worldTransform().inverted().mapRect(QRectF(0, 0, device->width(), device->height()));
        const double from = bH ? visible.left() : visible.top();
        const double to = bH ? visible.right() : visible.bottom();
        lowest = std::max<qint64>(lowest, qint64(std::floor(from)) - origin - 1);
        highest = std::min<qint64>(highest, qint64(std::ceil(to)) - origin + 1);
    }
    for (qint64 i = lowest; i <= highest; ++i) {
        int channel[3];
        for (int c = 0; c < 3; ++c)
            channel[c] = std::clamp(roundHalfEven(first[c] + double(increment[c]) * double(i)), 0, 255);
        const QColor color(channel[0], channel[1], channel[2]);
        const int at = clampCoordinate(origin + i);
        if (bH)
            DrawLine(at, y, at, y2, hdc, color);
        else
            DrawLine(x, at, x2, at, hdc, color);
    }
}

QColor XP_ProgressBar::TranslateColor(OleColor color)
{
    return TranslateColor(color, QGuiApplication::palette());
}

QColor XP_ProgressBar::TranslateColor(OleColor color, const QPalette& palette)
{
    if (color & kSystemColorFlag) {
        const OleColor index = color & ~kSystemColorFlag;
        if (index >= kSystemColors.size() || kSystemColors[index].role == QPalette::NColorRoles)
            return QColor(0, 0, 0);
        const QColor system = palette.color(kSystemColors[index].group, kSystemColors[index].role);
        return QColor(system.red(), system.green(), system.blue());
    }
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

XP_ProgressBar::OleColor XP_ProgressBar::toOleColor(const QColor& color)
{
    return OleColor(color.red()) | (OleColor(color.green()) << 8) | (OleColor(color.blue()) << 16);
}

QColor XP_ProgressBar::LightenColor(const QColor& color, int amount)
{
    amount = std::clamp(amount, 0, 255);
    const auto lighten = [amount](int c) { return std::min(255, c * (255 - amount) / 255 + amount); };
    return QColor(lighten(color.red()), lighten(color.green()), lighten(color.blue()));
}

QColor XP_ProgressBar::BlendColors(const QColor& a, const QColor& b, int weight)
{
    weight = std::clamp(weight, 0, 255);
    // The exact sum never ends in one half, so adding 127 before the division rounds to nearest.
    const auto blend = [weight](int ca, int cb) { return (ca * weight + cb * (255 - weight) + 127) / 255; };
    return QColor(blend(a.red(), b.red()), blend(a.green(), b.green()), blend(a.blue(), b.blue()));
}

void XP_ProgressBar::paintControl(QPainter& painter) const
{
    const int right = width();
    const int bottom = height();
    const QRect client(0, 0, right, bottom);
    const double p = m_percentage;
    const QColor& c = m_color;

    painter.setClipRect(client);
    painter.fillRect(client, m_scrolling == 6 ? Qt::black : Qt::white);

    switch (m_scrolling) {
    case 0:
    case 1:
    case 2:
        if (m_orientation == 1) {
            // The vertical variant is the horizontal one turned a quarter left: it fills upwards.
            painter.save();
            painter.translate(0, bottom);
            painter.rotate(-90);
            paintClassicStyle(painter, bottom, right);
            painter.restore();
        } else {
            paintClassicStyle(painter, right, bottom);
        }
        break;
    case 3: {
        const QColor frame = LightenColor(c, 100);
        frameRect(painter, client, frame, frame);
        fillCorners(painter, 1, 1, roundHalfEven(right * p / 100.0), bottom - 1, LightenColor(c, 180));
        break;
    }
    case 4:
        paintEdge(painter, client, kBtnShadow, kBtnHighlight, kBtnHighlight, kBtnShadow);
        DrawGradient(LightenColor(c, 140), LightenColor(c, 200), 2, 2, roundHalfEven((right - 4) * p / 100.0),
                     bottom - 3, painter, true);
        break;
    case 5: {
        const QColor frame = LightenColor(c, 10);
        frameRect(painter, client, frame, frame);
        // Dividing by 101 leaves the bar short of the right edge even at 100 %.
        const int end = roundHalfEven(p / 101.0 * right);
        DrawGradient(c, LightenColor(c, 100), 2, 2, right - 2, bottom - 5, painter, false);
        DrawGradient(LightenColor(c, 250), c, 3, 3, end, bottom - 6, painter, false);
        DrawLine(end, 2, end, bottom - 2, painter, LightenColor(c, 25));
        break;
    }
    case 6: {
        const QColor frame = BlendColors(c, Qt::black, 200);
        frameRect(painter, client, frame, frame);
        const QColor dark = BlendColors(c, Qt::black, 100);
        DrawGradient(LightenColor(dark, 10), dark, 2, 2, roundHalfEven((right - 5) * p / 100.0), bottom - 2,
                     painter, true);
        break;
    }
    case 7: {
        paintEdge(painter, client, k3dLight, k3dDkShadow, k3dDkShadow, k3dLight);
        const int end = roundHalfEven(right * p / 101.0);
        fillCorners(painter, 2, 2, end, bottom - 2, LightenColor(c, 140));
        static constexpr Qt::BrushStyle kHatches[] = {Qt::HorPattern,   Qt::VerPattern,   Qt::FDiagPattern,
                                                      Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
        if (m_brushStyle >= 0 && m_brushStyle < int(std::size(kHatches)))
            fillCorners(painter, 2, 2, end, bottom - 2, QBrush(c, kHatches[m_brushStyle]));
        break;
    }
    case 8:
        paintEdge(painter, client, kBtnShadow, kBtnHighlight, kNoEdge, kNoEdge);
        if (!m_image.isNull()) {
            const int barWidth = roundHalfEven(right * p / 101.0);
            fillCorners(painter, 2, 2, qint64(2) + barWidth, qint64(2) + (bottom - 4), QBrush(m_image));
        }
        break;
    default:
        break;
    }
    paintCaption(painter);
}

// Styles 0 to 2 in the painter's current (possibly turned) coordinates, right x bottom pixels.
void XP_ProgressBar::paintClassicStyle(QPainter& painter, int right, int bottom) const
{
    const QColor& c = m_color;
    const double p = m_percentage;

    // Rounded border: straight sides that stop short of the corners, one pixel set diagonally in.
    const QColor border = LightenColor(c, 60);
    DrawLine(2, 0, right - 2, 0, painter, border);
    DrawLine(2, bottom - 1, right - 2, bottom - 1, painter, border);
    DrawLine(0, 2, 0, bottom - 2, painter, border);
    DrawLine(right - 1, 2, right - 1, bottom - 2, painter, border);
    for (const QPoint& corner : {QPoint(1, 1), QPoint(right - 2, 1), QPoint(1, bottom - 2), QPoint(right - 2, bottom - 2)})
        DrawLine(corner.x(), corner.y(), corner.x() + 1, corner.y(), painter, border);

    const int barLeft = 3, barTop = 3, barRight = right - 3, barBottom = bottom - 3;
    const int barWidth = barRight - barLeft;
    const int barHeight = barBottom - barTop;
    if (barWidth <= 0 || barHeight <= 0)
        return;
    const int middle = barTop + barHeight / 2;
    const QColor light = LightenColor(c, 150);
    painter.save();
    painter.setClipRect(QRect(barLeft, barTop, barWidth, barHeight), Qt::IntersectClip);

    if (m_scrolling == 2) {
        constexpr int kBlockWidth = 10;
        constexpr int kBlockStep = 12;
        constexpr int kTravel = 45;
        const int shift = roundHalfEven((100.0 - p) / 100.0 * kTravel);
        for (int i = 0; i < 3; ++i) {
            const qint64 left = qint64(barLeft) + kTravel + i * kBlockStep - shift;
            DrawGradient(LightenColor(c, 220 - 40 * i), LightenColor(c, 200 - 40 * i), clampCoordinate(left), barTop,
                         kBlockWidth - 1, barBottom, painter, true);
        }
        painter.restore();
        return;
    }

    // Style 0 shows whole 6-pixel segments with 2-pixel gaps, style 1 a continuous bar in 2-pixel steps.
    const bool segmented = m_scrolling == 0;
    const int step = segmented ? 8 : 2;
    const qint64 wanted = std::clamp<qint64>(roundHalfEven(p / 98.0 * barWidth), 0, barWidth);
    const int filled = int(wanted / step * step);
    if (filled > 0) {
        // A glossy band: light at both edges, the full colour in the middle.
        DrawGradient(light, c, barLeft, barTop, barLeft + filled, middle - barTop, painter, false);
        DrawGradient(c, light, barLeft, middle, barLeft + filled, barBottom - 1 - middle, painter, false);
        if (segmented) {
            for (int x = barLeft + 6; x < barLeft + filled; x += step)
                fillCorners(painter, x, barTop, x + 2, barBottom, Qt::white);
        }
    }
    painter.restore();
}

void XP_ProgressBar::paintCaption(QPainter& painter) const
{
    if (!m_showText)
        return;
    const QString text = caption();
    painter.save();
    painter.setFont(font());
    painter.setPen(m_scrolling == 6 ? QColor(0xC0, 0xC0, 0xC0) : m_textColor);
    const QFontMetrics metrics = painter.fontMetrics();
    const int textWidth = metrics.horizontalAdvance(text);
    const int textHeight = metrics.height();
    const int left = roundHalfEven(width() / 2.0 - textWidth / 2.0);
    const int top = roundHalfEven(height() / 2.0 - textHeight / 2.0);
    const QRect textRect(left, top, textWidth, textHeight);
    constexpr int kFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;

    // Style 6 shows the part of the caption over the bar in the bar's own light colour.
    const double barEnd = m_percentage / 100.0 * width();
    if (m_scrolling != 6 || !(barEnd > left + textWidth))
        painter.drawText(textRect, kFlags, text);
    if (m_scrolling == 6 && barEnd >= left) {
        const int clipRight = clampCoordinate(roundHalfEven(barEnd));
        if (clipRight > left) {
            painter.setClipRect(QRect(left, top, clipRight - left, textHeight), Qt::IntersectClip);
            painter.setPen(LightenColor(m_color, 80));
            painter.drawText(textRect, kFlags, text);
        }
    }
    painter.restore();
}

void XP_ProgressBar::paintEdge(QPainter& painter, const QRect& rect, int outerTopLeft, int outerBottomRight,
                               int innerTopLeft, int innerBottomRight) const
{
    const auto system = [this](int index) { return TranslateColor(kSystemColorFlag | OleColor(index), palette()); };
    frameRect(painter, rect, system(outerTopLeft), system(outerBottomRight));
    if (innerTopLeft != kNoEdge)
        frameRect(painter, rect.adjusted(1, 1, -1, -1), system(innerTopLeft), system(innerBottomRight));
}
