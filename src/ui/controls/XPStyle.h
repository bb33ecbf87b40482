#pragma once

#include <QWidget>

// Invisible control on the login window that puts the program's windows into the desktop's
// themed look. Qt widgets already take the desktop's style from the platform theme when the
// application starts, so there is nothing to switch on: creating it changes no style, and it
// only keeps its place on the form, hidden and at its fixed size.
class XPStyle : public QWidget
{
    Q_OBJECT

public:
    explicit XPStyle(QWidget* parent = nullptr);
};
