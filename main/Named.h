#pragma once

#include <QString>

// Gives a new widget, action or timer its object name, by which tests and UI automation
// find it, and returns it.
template <class T> T* Named(T* object, const char* name)
{
    object->setObjectName(QString::fromLatin1(name));
    return object;
}
