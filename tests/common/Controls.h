#pragma once
// A window's control by its object name, as a test reaches inside a window without
// the window opening its members. A name that is not there ends the test run saying so.
#include <QApplication>
#include <QString>
#include <QWidget>
#include <QtGlobal>

template <class T> T* control(const QObject* window, const QString& name)
{
    T* const found = window->findChild<T*>(name);
    if (!found)
        qFatal("no %s named \"%s\" in %s", T::staticMetaObject.className(), qPrintable(name),
            window->metaObject()->className());
    return found;
}

// The n-th of a row of controls, named "pathField0", "pathField1", ...
template <class T> T* control(const QObject* window, const char* name, int n)
{
    return control<T>(window, QLatin1String(name) + QString::number(n));
}

// The shown top-level window of type T, as one window opens another; null when none is.
template <class T> T* shownWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* found = qobject_cast<T*>(w); found && found->isVisible())
            return found;
    return nullptr;
}
