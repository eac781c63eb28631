#pragma once

#include <QObject>

class QEvent;

// Whether the user is working with the keyboard: true from a key press until the next press of
// a mouse button or a touch. The scene outlines the control that has the keyboard only then, as
// desktop programs do, so that a press with the mouse leaves no mark behind.
class KeyboardUse : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool active READ active NOTIFY activeChanged)

public:
    explicit KeyboardUse(QObject *parent = nullptr);

    bool active() const { return m_active; }

signals:
    void activeChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool m_active = false;
};
