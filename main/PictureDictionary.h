#pragma once

#include <QImage>
#include <QString>
#include <optional>

// Pictures named after English words, in the folder "DicImg" beside the current document
// (or beside the program for an untitled text).
class PictureDictionary
{
public:
    // The folder of currentFileName with a trailing "/", or the program's folder when the
    // text has no file.
    static QString DictionaryFolder(const QString& currentFileName);

    // The word a spoken English word is looked up as: the length + 1 characters of the
    // fragment that begin one character before the word (at the fragment's start for its
    // first word), with blanks and control characters trimmed from both ends.
    static QString WordAt(const QString& fragment, int characterPosition, int length);

    // The picture file for word in folder + "DicImg/", whatever the letter case of its name;
    // empty when there is none, or when the word could leave the folder (a path separator
    // or "..") or is empty.
    static QString FindPictureFile(const QString& folder, const QString& word);

    // The decoded picture for word; nullopt when there is no file. Throws VemoError naming
    // the file when it is not a readable JPEG.
    static std::optional<QImage> PictureFor(const QString& currentFileName, const QString& word);
};
