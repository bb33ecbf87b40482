#pragma once

#include <QPushButton>

// A small command button whose caption is a character of the classic symbol font: the text keeps
// that character ("5", "6", "n"), and the button draws the symbol itself, since the font is not
// there on every desktop. "5" is an upward triangle, "6" a downward one, "n" the copy mark.
class MarlettButton : public QPushButton {
    Q_OBJECT
public:
    explicit MarlettButton(const QString& caption, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
