#include "ui/common/Twips.h"

#include "app/AppContext.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace Twips {

double logicalDpi(const QWidget* widget)
{
    const QScreen* screen = widget && widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    return dpi > 0 ? dpi : 96.0;
}

int toPixels(double twips, const QWidget* widget)
{
    return static_cast<int>(std::lround(twips * logicalDpi(widget) / 1440.0));
}

double fromPixels(int pixels, const QWidget* widget)
{
    return pixels * 1440.0 / logicalDpi(widget);
}

QRect rect(double left, double top, double width, double height, const QWidget* widget)
{
    return QRect(toPixels(left, widget), toPixels(top, widget), toPixels(width, widget),
                 toPixels(height, widget));
}

void place(QWidget* child, double left, double top, double width, double height)
{
    child->setGeometry(rect(left, top, width, height, child));
}

} // namespace Twips

void CenterForm(QWidget* form)
{
    if (!form)
        return;
    const QScreen* screen = form->screen() ? form->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    form->move(CenterForm(screen->availableGeometry(), form->frameGeometry().size()));
}

void KeepOnScreen(QWidget* form, const QSize& outerSize)
{
    if (!form)
        return;
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens())
        areas << screen->availableGeometry();
    form->move(KeepOnScreen(QRect(form->pos(), outerSize), areas));
}
