#pragma once

#include <QString>

// The ID3v2 tags of one MP3 file, taken from names and run facts only, never from the
// words of the text. Empty texts and zero numbers are left out of the tag; the encoder
// frame always says "Vemo".
struct Mp3Tags
{
    QString title;
    QString album;
    int track = 0;      // the part's number from 1; 0 for a text in one file
    int trackCount = 0; // parts of the text
    int year = 0;
    QString language; // ISO 639-2 codes following each other, the most spoken first ("ruseng")
};
