#pragma once

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <QVariantMap>
#include <QWidget>

class QPainter;
class QPalette;

// Self-drawn progress bar with nine drawing styles (Scrolling 0..8), gradient fills and a
// centred caption. Every redraw paints the whole control into an off-screen picture that is
// kept between redraws and only grows, and copies it to the window in one block (no flicker).
// Lines follow the classic device-context rule: a line leaves out its end point.
class XP_ProgressBar : public QWidget
{
    Q_OBJECT

public:
    // Colours as stored properties hold them: 0x00BBGGRR, or 0x80000000 + a system colour index.
    using OleColor = quint32;

    explicit XP_ProgressBar(QWidget* parent = nullptr);

    // Properties. The setters of Color, Image, Orientation, Scrolling, ShowText, Text, TextColor,
    // Percent and Value redraw at once; BrushStyle, Max and Min take effect at the next redraw
    // (Max at the next Value, which is when the percentage is computed).
    int brushStyle() const { return m_brushStyle; }
    void setBrushStyle(int style);
    QColor color() const { return m_color; }
    void setColor(const QColor& color);
    QPixmap image() const { return m_image; }
    void setImage(const QPixmap& image);
    int max() const { return m_max; }
    void setMax(int max);
    int min() const { return m_min; }
    void setMin(int min);
    int orientation() const { return m_orientation; }
    void setOrientation(int orientation);
    int scrolling() const { return m_scrolling; }
    void setScrolling(int style);
    bool showText() const { return m_showText; }
    void setShowText(bool show);
    QString text() const { return m_text; }
    void setText(const QString& text);
    QColor textColor() const { return m_textColor; }
    void setTextColor(const QColor& color);
    bool percent() const { return m_percent; }
    void setPercent(bool percent);
    int value() const { return m_value; }
    void setValue(int value);

    // Value * 100 / Max rounded half to even, as of the last Value assignment; 0 while Max is 0.
    int percentage() const { return m_percentage; }

    // The caption as it would be drawn now, and the rule behind it.
    QString caption() const;
    static QString CaptionText(int scrolling, bool percent, int value, int percentage, const QString& text);

    // Persisted properties under their keys ("BrushStyle", "Color", "Picture", "Max", "Min",
    // "Orientation", "Scrolling", "ShowText", "Text", "TextColor", "Percent", "Value"). Reading
    // goes through the setters in that order, a missing key meaning its persisted default;
    // writing leaves out every value equal to its default. Colours are OLE colours (ints), the
    // picture is PNG data.
    void readProperties(const QVariantMap& bag);
    QVariantMap writeProperties() const;

    // Redraws the whole control into the off-screen picture and has it copied to the window.
    void DrawProgressBar();
    // Where drawing goes: the off-screen picture, or the control itself when there is none.
    QPaintDevice* hdc();
    // Sizes the off-screen picture to the control again (as on a resize).
    void resizeOffscreenPicture();
    // Copies the WidthSrc x HeightSrc block at (xSrc, ySrc) of the off-screen picture to
    // (xDst, yDst); a width or height of 0 or less means the picture's full width or height.
    void pDraw(QPainter& hdc, int xSrc = 0, int ySrc = 0, int widthSrc = 0, int heightSrc = 0,
               int xDst = 0, int yDst = 0) const;

    // A 1-pixel line from (x, y) towards (width, height); the end point itself is not drawn.
    static void DrawLine(int x, int y, int width, int height, QPainter& cHdc, const QColor& color);
    // A gradient of 1-pixel lines, lEndColor first and lStartcolor last. With bH the x2 + 1 lines
    // run vertically at x .. x + x2 from y to y2; otherwise the y2 + 1 lines run horizontally at
    // y .. y + y2 from x to x2. So x2 (with bH) or y2 counts steps while the other end is a point.
    static void DrawGradient(const QColor& lEndColor, const QColor& lStartcolor, int x, int y, int x2,
                             int y2, QPainter& hdc, bool bH);

    static QColor TranslateColor(OleColor color);
    static QColor TranslateColor(OleColor color, const QPalette& palette);
    static OleColor toOleColor(const QColor& color);
    // Each channel c becomes c * (255 - amount) \ 255 + amount: 0 keeps the colour, 255 gives white.
    static QColor LightenColor(const QColor& color, int amount);
    // Each channel becomes a * weight / 255 + b * (255 - weight) / 255, rounded.
    static QColor BlendColors(const QColor& a, const QColor& b, int weight);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void sizeOffscreen(int width, int height);
    void paintControl(QPainter& painter) const;
    void paintClassicStyle(QPainter& painter, int right, int bottom) const;
    void paintCaption(QPainter& painter) const;
    void paintEdge(QPainter& painter, const QRect& rect, int outerTopLeft, int outerBottomRight,
                   int innerTopLeft, int innerBottomRight) const;

    int m_brushStyle = 0;
    QColor m_color;
    QPixmap m_image;
    int m_max = 100;
    int m_min = 0;
    int m_orientation = 0;
    int m_scrolling = 0;
    bool m_showText = true;
    QString m_text;
    QColor m_textColor;
    bool m_percent = true;
    int m_value = 0;
    int m_percentage = 0;

    QImage m_offscreen;
};
