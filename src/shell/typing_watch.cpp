#include "shell/typing_watch.h"

#include <QCoreApplication>
#include <QEvent>

TypingWatch::TypingWatch(QObject* parent) : QObject(parent)
{
    if (QCoreApplication* app = QCoreApplication::instance()) app->installEventFilter(this);
}

TypingWatch::~TypingWatch()
{
    if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(this);
}

bool TypingWatch::KeyPressedWithin(int withinMs) const
{
    return lastKey_.isValid() && lastKey_.elapsed() < withinMs;
}

bool TypingWatch::eventFilter(QObject* watched, QEvent* event)
{
    // Each key press reaches the filter once per widget it travels through;
    // the first is enough.
    if (event->type() == QEvent::KeyPress) lastKey_.start();
    return QObject::eventFilter(watched, event);
}
