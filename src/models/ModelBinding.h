#pragma once

#include <QObject>

// Points a model at another library: drops every connection from the old one to the model and,
// for a non-null library, resets the model on the given change signal.
template <typename Library, typename Signal, typename Reset>
void RebindMats(QObject *model, Library *&current, Library *next, Signal signal, Reset reset)
{
    if (current)
        QObject::disconnect(static_cast<QObject *>(current), nullptr, model, nullptr);
    current = next;
    if (next)
        QObject::connect(next, signal, model, reset);
}
