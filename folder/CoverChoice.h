#pragma once

#include <QString>

// How the cover picture of one sound file is chosen; the values are the items of the
// folder dialog's cover radio group.
enum CoverRule
{
    CoverForAll = 0,
    CoverByPrefix = 1,
    CoverBySameName = 2
};

// The picture named after the first two characters of the text file's name plus ".jpg",
// beside the text file (full name), when it exists; otherwise coverDefault.
QString ChooseCoverByPrefix(const QString& textFile, const QString& coverDefault);

// The picture with the text file's own name (its extension replaced by ".jpg", ".jpeg",
// ".png" or ".gif"), beside the text file (full name). When several exist the later of that
// list wins; when none exists, coverDefault.
QString ChooseCoverBySameName(const QString& textFile, const QString& coverDefault);
