#pragma once

#include "soundfile/EncoderConfig.h"
#include "soundfile/Mp3Tags.h"

#include <QString>
#include <functional>

namespace Mp3Result {
constexpr qint32 Done = 0;
constexpr qint32 WavNotOpened = -2;
constexpr qint32 Mp3NotCreated = -3;  // also when the MP3 name is the WAV file itself
constexpr qint32 EncoderRefused = -4; // the encoder cannot take the record; no MP3 file made
} // namespace Mp3Result

// Encodes the 16-bit PCM of a WAV file (44-byte header; its RIFF size counts the bytes
// to encode, its channel count chooses mono or stereo, two channels staying joint stereo
// when the record asks for it) into an MP3 file, chunk by chunk
// in constant memory. Returns a Mp3Result value; read, encode, write and flush failures
// throw VemoError naming the file. The WAV file is never changed. Every 64 chunks
// letMessagesThrough runs (by default QCoreApplication::processEvents) so the window
// stays responsive.
// The MP3 file starts with an ID3v2 tag holding tags, followed by the encoder's info
// frame (true length for players), which is put in place once the data is encoded; the
// file is therefore opened for reading and writing. progress, when given, runs every 64
// chunks in the place of letMessagesThrough, with the bytes encoded and the bytes to encode.
// A file long enough for pieces (EncodeMp3InPieces) is encoded on up to encoderThreads
// threads (0: the global thread pool's maximum, the machine's cores unless the process set
// fewer) while the calling thread waits, running progress every 50 ms; its bytes are the
// same whatever the number of threads.
using Mp3Progress = std::function<void(qint64 done, qint64 total)>;
qint32 ConvertWavToMp3(const QString& wavName, const QString& mp3Name, const EncoderConfig& config,
                       const Mp3Tags& tags = {}, const Mp3Progress& progress = {}, int encoderThreads = 0);
// The same with no tags but the encoder.
qint32 ConvertWavToMp3(const QString& wavName, const QString& mp3Name, const EncoderConfig& config,
                       const std::function<void()>& letMessagesThrough);
