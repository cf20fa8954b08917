#pragma once

#include "soundfile/Mp3Frames.h"

#include <cstdint>
#include <vector>

// One encoder's output for a piece of a longer file: its bytes and the complete Layer III
// frames in them, numbered as in the whole file.
struct Mp3Piece
{
    struct Frame
    {
        std::size_t offset;
        Mp3FrameHeader header;
    };

    std::vector<unsigned char> bytes;
    std::size_t head = 0;        // bytes before the first frame: the tag and the info frame's room
    std::int64_t firstFrame = 0; // the whole file's number of the first frame
    std::vector<Frame> frames;   // the complete frames from head on

    // Finds the frames from head on; a frame cut short at the end is left out. False when
    // the bytes there are no chain of Layer III frames.
    bool FindFrames();
    std::int64_t EndFrame() const { return firstFrame + std::int64_t(frames.size()); }
    bool Has(std::int64_t number) const { return number >= firstFrame && number < EndFrame(); }
    const Frame& At(std::int64_t number) const { return frames[std::size_t(number - firstFrame)]; }
    const unsigned char* Data(std::int64_t number) const { return bytes.data() + At(number).offset; }
    // Where frame `number` starts in bytes; the end of the bytes for EndFrame().
    std::size_t OffsetOf(std::int64_t number) const;
};

// The frame from which `next` can follow `previous` (both encoded from the same audio, their
// frames overlapping): one whose main data, which may start in the bytes of the frames before
// it (the bit reservoir), fits into the room `previous` left there, and before which both
// ended their last granule with the same block types, so that the decoder's overlap of the
// two granules stays as either encoder meant it. Candidates are tried from `nominal` outwards
// up to `reach` frames each way, none earlier than `earliest` in `next`. -1 when none fits.
std::int64_t FindJoin(const Mp3Piece& previous, const Mp3Piece& next, std::int64_t nominal, int reach,
                      std::int64_t earliest);

// Makes previous's frames before `join` ready to be followed by next's frames from `join`:
// the main data bytes that next's frame `join` keeps in the frames before it are copied into
// the end of previous's main data there; the rest of the room is zeroed (ancillary bytes that
// decoders skip). Headers and side information stay as they are, CRCs with them.
void JoinPieces(Mp3Piece& previous, const Mp3Piece& next, std::int64_t join);

// CRC-16 (polynomial 0x8005, reflected, start 0), as the info frame's checksums use it.
std::uint16_t Mp3Crc16(std::uint16_t crc, const unsigned char* bytes, std::size_t n);

// What the info frame of a file says about the frames after it, gathered frame by frame as
// they are written: their count, their bytes, their checksum and the seek table.
class Mp3StreamSummary
{
public:
    // Frames from..to (not included) of the piece, as they are written.
    void Add(const Mp3Piece& piece, std::int64_t from, std::int64_t to);
    // The encoder's info frame (as it wrote it for the first piece) completed for the whole
    // file: frame and byte counts, seek table, padding after sampleFrames samples, the data's
    // and the frame's checksums. Returns false when the frame is no Xing/Info frame or no
    // frame was added.
    bool Complete(std::vector<unsigned char>& infoFrame, std::int64_t sampleFrames) const;
    std::int64_t Frames() const { return m_frames; }

private:
    void AddToSeekTable(int kbps);

    std::int64_t m_frames = 0;
    std::int64_t m_bytes = 0;
    std::uint16_t m_crc = 0;
    int m_samplesPerFrame = 0;
    // The seek table's samples: running bitrate sums, one for every `m_every` frames,
    // halved to every other one whenever all 400 are taken.
    std::vector<std::int64_t> m_sums = std::vector<std::int64_t>(400);
    std::size_t m_taken = 0;
    std::int64_t m_every = 1;
    std::int64_t m_sinceLast = 0;
    std::int64_t m_kbpsSum = 0;
};
