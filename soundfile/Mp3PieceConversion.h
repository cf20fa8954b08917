#pragma once

#include "soundfile/EncoderConfig.h"
#include "soundfile/Mp3Tags.h"

#include <QFile>
#include <QString>
#include <functional>
#include <vector>

// How a long file is cut into pieces; tests shorten them.
struct Mp3PieceLayout
{
    qint64 pieceFrames = 4096; // frames of one piece: about 107 s at 22,050 or 44,100 Hz
    int quietSearch = 192;     // frames each way of an even cut searched for the quietest place
    int reach = 24;            // frames each way of that place where the pieces may join
    int warmUp = 64;           // frames a piece's encoder runs before it may take over
};

// The samples of a WAV file as the conversion reads them: sampleFrames frames of 16-bit
// samples from byte 44 on, of which the file holds dataBytes; the rest is silence.
struct Mp3PieceInput
{
    QString wavName;
    qint64 sampleFrames = 0;
    qint64 dataBytes = 0;
    int channels = 1;
};

// Encodes a long WAV file into mp3 (open, empty) on up to `threads` threads at once: cut at
// frame boundaries in quiet places, each piece is encoded by an encoder of its own that starts
// some frames early, so that its filter bank and psychoacoustic state are primed, and runs on
// past the piece's end; the pieces join at a frame where the next one's bit reservoir fits into
// the room the previous one left (see FindJoin). The file has the frames and the sample count
// of one encoder's output, the first piece's tag and an info frame completed for the whole
// file. The bytes depend on the samples, the record and the layout only, never on `threads`
// or timing. progress runs on the calling thread every 50 ms with the bytes done and to do.
// Returns false, leaving mp3 to be truncated, when the file is too short for two pieces, the
// record resamples or the pieces found no frame to join at; read and encoder failures throw
// VemoError naming the file. joins, when given, receives the frames where the pieces joined.
bool EncodeMp3InPieces(const Mp3PieceInput& input, QFile& mp3, const EncoderConfig& config,
                       const Mp3Tags& tags, const std::function<void(qint64 done, qint64 total)>& progress,
                       int threads, const Mp3PieceLayout& layout = {}, std::vector<qint64>* joins = nullptr);
