#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QString>

class QLabel;
class QLineEdit;
class QPainter;
class QWidget;

// The look the window designs share, in the desktop's terms: the designs' MS Sans Serif becomes
// the desktop's sans-serif at the same point size, Arial stays Arial where the desktop has a
// metric twin and falls back to the sans-serif otherwise.
namespace FormLook {

// The designs' colours, given there as 0x00BBGGRR.
QColor fromBgr(quint32 bgr);

QFont sansFont(double pointSize = 8.25, bool bold = false);
QFont arialFont(double pointSize, bool bold = false);

// Window flags of the fixed tool-window frame: title bar with a close button only.
Qt::WindowFlags toolWindowFlags();

// Back colour of a window or control, painted by the widget itself.
void setBackColor(QWidget* widget, const QColor& color);
void setForeColor(QWidget* widget, const QColor& color);

// A text box that shows every character as "*" while masked and the plain text otherwise.
void setPasswordChar(QLineEdit* edit, bool masked);
bool isMasked(const QLineEdit* edit);

// The desktop's sans-serif runs wider than the designs' font: a one-line caption that does not fit
// its design width is narrowed (down to 70 % of its width) instead of being cut off.
void fitCaption(QLabel* label);
// A word-wrapped note that needs more lines than its design height holds grows upwards, keeping
// its bottom edge, so the control below it stays where it is.
void fitWrappedUpwards(QLabel* label);

// Back.bmp beside the program when it exists and loads; a null pixmap otherwise.
QPixmap backImage();

// A caption and a text box of a design, named as the design names them, at their place in twips.
QLabel* addLabel(QWidget* parent, const QString& name, const QString& caption, int left, int top, int width,
                 int height);
QLineEdit* addEdit(QWidget* parent, const QString& name, int left, int top, int width, int height);

// Enter on a focused button of `window` clicks it, as Space does; the designs' platform does that in
// every window, Qt only in dialogs.
void enterClicksButtons(QWidget* window);

// A Shape control of the designs: a one-pixel black outline just inside `rect`.
void drawOutline(QPainter& painter, const QRect& rect);

// The designs' multi-line text boxes hold line breaks as CR LF, as the platform's text boxes do;
// Qt's editor shows LF.
QString toEditorText(const QString& stored);
QString fromEditorText(const QString& shown);

} // namespace FormLook
