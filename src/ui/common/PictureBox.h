#pragma once

#include <QLabel>

// A picture control: shows a picture (or nothing, as a transparent click area) and reports the
// mouse the way the window designs' handlers take it: a press with its button and modifiers, a
// click (left button pressed and released over it) and every move over it.
class PictureBox : public QLabel {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

signals:
    void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void clicked();
    void mouseMoved();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    bool m_leftDown = false;
};
