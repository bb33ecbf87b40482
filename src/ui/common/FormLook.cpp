#include "ui/common/FormLook.h"

#include "ui/common/Twips.h"

#include "app/AppContext.h"
#include "app/FileServices.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QWidget>

namespace FormLook {

QColor fromBgr(quint32 bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

QFont sansFont(double pointSize, bool bold)
{
    QFont font = QApplication::font();
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

QFont arialFont(double pointSize, bool bold)
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

Qt::WindowFlags toolWindowFlags()
{
    return Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
}

void setBackColor(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    palette.setColor(QPalette::Button, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void setForeColor(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    palette.setColor(QPalette::ButtonText, color);
    widget->setPalette(palette);
}

void setPasswordChar(QLineEdit* edit, bool masked)
{
    // The style's own bullet is replaced by the asterisk every password box of the program shows.
    if (edit->styleSheet().isEmpty())
        edit->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    edit->setEchoMode(masked ? QLineEdit::Password : QLineEdit::Normal);
}

bool isMasked(const QLineEdit* edit)
{
    return edit->echoMode() == QLineEdit::Password;
}

void fitCaption(QLabel* label)
{
    const int available = label->contentsRect().width();
    QFont font = label->font();
    for (int stretch = 100; stretch >= 70; stretch -= 2) {
        font.setStretch(stretch);
        if (QFontMetrics(font).horizontalAdvance(label->text()) <= available)
            break;
    }
    if (font.stretch() != 100)
        label->setFont(font);
}

void fitWrappedUpwards(QLabel* label)
{
    const QRect place = label->geometry();
    const int needed = label->heightForWidth(place.width());
    if (needed > place.height())
        label->setGeometry(place.x(), place.bottom() + 1 - needed, place.width(), needed);
}

QPixmap backImage()
{
    const QString path = appContext().BackImageFile;
    if (path.isEmpty() || !FileExists(path))
        return {};
    QPixmap image;
    image.load(path);
    return image;
}

QLabel* addLabel(QWidget* parent, const QString& name, const QString& caption, int left, int top, int width,
                 int height)
{
    QLabel* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Twips::place(label, left, top, width, height);
    return label;
}

QLineEdit* addEdit(QWidget* parent, const QString& name, int left, int top, int width, int height)
{
    QLineEdit* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    Twips::place(edit, left, top, width, height);
    return edit;
}

void drawOutline(QPainter& painter, const QRect& rect)
{
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
}

void enterClicksButtons(QWidget* window)
{
    for (QPushButton* button : window->findChildren<QPushButton*>())
        button->setAutoDefault(true);
}

QString toEditorText(const QString& stored)
{
    QString text = stored;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

QString fromEditorText(const QString& shown)
{
    QString text = shown;
    text.replace(u'\n', QStringLiteral("\r\n"));
    return text;
}

} // namespace FormLook
