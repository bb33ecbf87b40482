#pragma once

#include <QObject>
#include <QString>

#include <gtest/gtest.h>

// A window's control found by its object name, as a user's tools see it; the windows keep their
// controls private. A missing control fails the test where it is asked for.
template <typename T>
T* control(const QObject* window, const QString& name)
{
    T* found = window ? window->findChild<T*>(name) : nullptr;
    if (!found)
        ADD_FAILURE() << "no control " << name.toStdString();
    return found;
}

template <typename T>
T* control(const QObject& window, const QString& name)
{
    return control<T>(&window, name);
}
