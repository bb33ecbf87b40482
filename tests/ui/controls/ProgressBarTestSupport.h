#pragma once

#include "ui/controls/XP_ProgressBar.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <QVariantMap>

#include <ostream>

namespace progressbartest {

inline QColor grey(int level)
{
    return QColor(level, level, level);
}

// What the window shows: the control rendered through its own paint event.
inline QImage shot(XP_ProgressBar& bar)
{
    return bar.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

inline QColor pixel(const QImage& image, int x, int y)
{
    return QColor(image.pixel(x, y));
}

// The countdown bar of the main window: stored with BrushStyle 0, Max 20, Text "sec." and
// Percent off, everything else at its persisted default, 4320 x 255 twips.
inline void loadCountdownBar(XP_ProgressBar& bar)
{
    bar.resize(288, 17);
    bar.readProperties({{QStringLiteral("BrushStyle"), 0},
                        {QStringLiteral("Max"), 20},
                        {QStringLiteral("Text"), QStringLiteral("sec.")},
                        {QStringLiteral("Percent"), false}});
}

} // namespace progressbartest

inline std::ostream& operator<<(std::ostream& out, const QColor& color)
{
    return out << color.name().toStdString();
}
