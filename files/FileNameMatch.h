#pragma once

#include <QString>

// True when name matches the wildcard mask ("*" any run of characters, "?" any one
// character, everything else literal), ignoring letter case.
bool MatchesMask(QStringView name, QStringView mask);

// Natural order of file names as a Russian reader expects it (the Russian locale's
// collation: "Ёлка" before "Яблоко", Latin before Cyrillic), letters without regard to case,
// runs of digits by their value ("chapter2" before "chapter10"); names equal that way fall
// back to plain order.
bool NaturalLess(const QString& a, const QString& b);
