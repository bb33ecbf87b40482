#include "ui/common/MarlettButton.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionButton>
#include <QStylePainter>

MarlettButton::MarlettButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent)
{
    setAutoDefault(false);
}

void MarlettButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString glyph = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);

    const QColor ink = palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText);
    QRect area = rect();
    if (isDown())
        area.translate(1, 1);
    const QPointF centre(area.x() + area.width() / 2.0, area.y() + area.height() / 2.0);
    painter.setRenderHint(QPainter::Antialiasing, true);

    if (glyph == QLatin1String("5") || glyph == QLatin1String("6")) {
        // Wide and flat, as the symbol font draws it: half as high as it is wide.
        const qreal half = qMax<qreal>(2.0, qMin(area.width(), area.height()) * 0.28);
        const qreal rise = half / 2.0 + 0.5;
        const qreal dir = glyph == QLatin1String("5") ? -1.0 : 1.0;
        QPainterPath triangle;
        triangle.moveTo(centre.x() - half, centre.y() - dir * rise / 2.0);
        triangle.lineTo(centre.x() + half, centre.y() - dir * rise / 2.0);
        triangle.lineTo(centre.x(), centre.y() + dir * rise);
        triangle.closeSubpath();
        painter.fillPath(triangle, ink);
        return;
    }
    if (glyph == QLatin1String("n")) {
        // Two overlapping sheets: the copy mark.
        const qreal side = qMax<qreal>(4.0, qMin(area.width(), area.height()) * 0.36);
        const QRectF back(centre.x() - side / 2.0 - 1.0, centre.y() - side / 2.0 - 1.5, side, side);
        const QRectF front = back.translated(2.5, 3.0);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(ink, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(back);
        painter.setBrush(palette().color(QPalette::Button));
        painter.fillRect(front, ink);
        return;
    }
    painter.setPen(ink);
    painter.drawText(area, Qt::AlignCenter, glyph);
}
