#pragma once

#include <QList>
#include <QPair>
#include <QString>

// One tag of speech markup as the scanner read it.
struct SapiTag
{
    QString name; // in lower case
    bool closing = false;
    bool empty = false;                        // written as <name .../>
    QList<QPair<QString, QString>> attributes; // names in lower case, values decoded

    // The value of the named attribute (lower case), or a null string.
    QString Attribute(const QString& attributeName) const
    {
        for (const auto& [key, value] : attributes) {
            if (key == attributeName)
                return value;
        }
        return {};
    }
};
