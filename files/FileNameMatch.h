#pragma once

#include <QString>

// True when name matches the wildcard mask ("*" any run of characters, "?" any one
// character, everything else literal), ignoring letter case.
bool MatchesMask(QStringView name, QStringView mask);

// Natural order of file names: runs of digits compare by their value ("chapter2" before
// "chapter10"), letters without regard to case; names equal that way fall back to plain order.
bool NaturalLess(const QString& a, const QString& b);
