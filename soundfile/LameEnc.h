#pragma once

#include "soundfile/EncoderConfig.h"
#include "soundfile/Mp3Tags.h"

#include <cstdint>

// The four calls of the MP3 encoder layer. Each returns BeErr::Successful (0) or a
// non-zero failure code. A stream handle is an opaque number; a handle that is not open
// (never issued, or already closed) gives BeErr::InvalidHandle, never a crash.

using HBE_STREAM = std::uint32_t;

namespace BeErr {
constexpr std::uint32_t Successful = 0;
constexpr std::uint32_t InvalidFormat = 1;           // the record is not a version-1 LAME record
constexpr std::uint32_t InvalidFormatParameters = 2; // a field the encoder cannot take
constexpr std::uint32_t NoMoreHandles = 3;
constexpr std::uint32_t InvalidHandle = 4;
constexpr std::uint32_t BufferTooSmall = 5; // more samples than one chunk, or an encoder failure
} // namespace BeErr

// Opens an encoder stream. samples: S, the 16-bit samples of one chunk, all channels
// together; bufferSize: B, the most bytes one beEncodeChunk or beDeinitStream writes.
// The stream's output starts with an ID3v2 tag holding tags and "Vemo" as the encoder,
// followed (when the record's bWriteVBRHeader is set) by room for the info frame.
std::uint32_t beInitStream(const EncoderConfig& config, const Mp3Tags& tags, std::uint32_t* samples,
                           std::uint32_t* bufferSize, HBE_STREAM* stream);
// The same with no tags but the encoder.
std::uint32_t beInitStream(const EncoderConfig& config, std::uint32_t* samples, std::uint32_t* bufferSize,
                           HBE_STREAM* stream);

// Opens a stream whose output is Layer III frames only, with no tag and no room for the info
// frame: a piece of a longer file whose first piece carries them. The record's reservoir,
// bitrate and mode settings hold as in beInitStream, so its frames are those of any stream.
std::uint32_t beInitPieceStream(const EncoderConfig& config, std::uint32_t* samples,
                                std::uint32_t* bufferSize, HBE_STREAM* stream);

// Encodes sampleCount interleaved 16-bit samples (at most S) into output (B bytes).
std::uint32_t beEncodeChunk(HBE_STREAM stream, std::uint32_t sampleCount, const short* input,
                            unsigned char* output, std::uint32_t* outputBytes);

// Writes what the encoder still holds into output (B bytes).
std::uint32_t beDeinitStream(HBE_STREAM stream, unsigned char* output, std::uint32_t* outputBytes);

// After beDeinitStream: the final info frame (frame and byte counts, seek table, encoder
// delay and padding) into output (B bytes), and the byte offset from the start of the
// stream's output where it belongs, in place of the room left for it. outputBytes 0: the
// record asked for no info frame.
std::uint32_t beInfoFrame(HBE_STREAM stream, unsigned char* output, std::uint32_t* outputBytes,
                          std::uint32_t* offset);

// Releases the stream; its handle is invalid afterwards.
std::uint32_t beCloseStream(HBE_STREAM stream);
