#pragma once

#include <QString>
#include <QStringList>

// vemo --list-voices: one line per voice of every engine: engine, id and description.
int RunListVoicesMode(const QStringList& words);
QString ListVoicesUsage();
