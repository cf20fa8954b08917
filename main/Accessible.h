#pragma once

#include <QString>
#include <QWidget>

// What a screen reader says of a control: its name, and what it is for.
inline void Describe(QWidget* widget, const QString& name, const QString& description)
{
    widget->setAccessibleName(name);
    widget->setAccessibleDescription(description);
}
