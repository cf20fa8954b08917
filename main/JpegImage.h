#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Decodes a JPEG picture with libjpeg. Throws VemoError naming fileName when the data is
// not a readable JPEG or the picture is too large to hold.
QImage DecodeJpeg(const QByteArray& data, const QString& fileName);

// Reads and decodes a JPEG file; throws VemoError naming the file on any failure.
QImage LoadJpegFile(const QString& fileName);
