#include "ui/controls/XPStyle.h"

namespace {

// 810 x 810 twips at 15 twips per pixel.
constexpr int kSide = 54;

} // namespace

XPStyle::XPStyle(QWidget* parent)
    : QWidget(parent)
{
    setFixedSize(kSide, kSide);
    // Hidden explicitly, so showing the login window does not show it.
    hide();
}
