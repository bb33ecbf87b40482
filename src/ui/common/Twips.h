#pragma once

#include <QPoint>
#include <QRect>
#include <QWidget>

// The window designs give places and sizes in twips (1/1440 inch): 15 twips a pixel at 96 dpi.
// These convert with the screen's logical dpi, so the layout keeps its proportions on any screen.
namespace Twips {

// Pixels per inch of the screen the widget is on (96 when there is no screen, as offscreen).
double logicalDpi(const QWidget* widget = nullptr);

int toPixels(double twips, const QWidget* widget = nullptr);
double fromPixels(int pixels, const QWidget* widget = nullptr);

// A design rectangle (left, top, width, height in twips) in pixels.
QRect rect(double left, double top, double width, double height, const QWidget* widget = nullptr);

// Places `child` at a design rectangle.
void place(QWidget* child, double left, double top, double width, double height);

} // namespace Twips

// Moves a top-level window to the centred place of the screen it is on (upper 85 % vertically);
// its size is not changed.
void CenterForm(QWidget* form);

// Moves a top-level window whose outer size (title bar and frame included) is `outerSize` as
// little as needed for all of it to lie in the available area of the nearest screen.
void KeepOnScreen(QWidget* form, const QSize& outerSize);
