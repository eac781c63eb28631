#include "KeyboardUse.h"

#include <QCoreApplication>
#include <QEvent>

KeyboardUse::KeyboardUse(QObject *parent) : QObject(parent)
{
    if (QCoreApplication *app = QCoreApplication::instance())
        app->installEventFilter(this);
}

bool KeyboardUse::eventFilter(QObject *watched, QEvent *event)
{
    bool active = m_active;
    switch (event->type()) {
    case QEvent::KeyPress:
        active = true;
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::TouchBegin:
        active = false;
        break;
    default:
        break;
    }
    if (active != m_active) {
        m_active = active;
        emit activeChanged();
    }
    return QObject::eventFilter(watched, event);
}
