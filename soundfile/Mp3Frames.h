#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

// The facts of one MPEG audio Layer III frame that its first bytes tell: where it ends,
// where its side information and its own share of the byte stream lie, and the two side
// information fields that joining encoded streams needs (where the frame's main data begins
// and which block types its last granule uses).
struct Mp3FrameHeader
{
    bool mpeg1 = true; // MPEG-1 (two granules a frame); otherwise MPEG-2 or 2.5 (one)
    bool crc = false;  // two CRC bytes follow the four header bytes
    int channels = 2;
    int sampleRate = 0;
    int kbps = 0;
    int length = 0;  // the whole frame in bytes, header included
    int samples = 0; // samples per channel: 1152 or 576
    int sideInfoLength = 0;

    int SideInfoStart() const { return crc ? 6 : 4; }
    // The frame's share of the main data stream: the bytes after its side information.
    int MainDataStart() const { return SideInfoStart() + sideInfoLength; }
    int MainDataLength() const { return length - MainDataStart(); }
};

// The header at p, when the bytes there are a Layer III header with a bitrate (no free
// format) and a sample rate; available: the bytes that may be read from p (at least 4).
std::optional<Mp3FrameHeader> ReadMp3FrameHeader(const unsigned char* p, std::size_t available);

// main_data_begin: how many bytes before the frame's header (in the main data of earlier
// frames, headers and side information not counted) the frame's main data starts.
int Mp3MainDataBegin(const unsigned char* frame, const Mp3FrameHeader& header);

// The block types (0 long, 1 start, 2 short, 3 stop) of the frame's last granule, two bits
// for each channel, the first channel lowest. A decoder overlaps a granule with the next, so
// frames from two encoders join cleanly where these agree.
int Mp3LastBlockTypes(const unsigned char* frame, const Mp3FrameHeader& header);
