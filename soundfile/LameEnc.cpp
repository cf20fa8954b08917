#include "soundfile/LameEnc.h"

#include "soundfile/LameSettings.h"

#include <lame/lame.h>
#include <map>
#include <mutex>

namespace {

struct EncoderStream
{
    lame_t lame = nullptr;
    int channels = 2;
    std::uint32_t samples = 0;    // S
    std::uint32_t bufferSize = 0; // B
    std::uint32_t tagSize = 0;    // the ID3v2 tag in front of the info frame
};

// Besides the encoded data the first output holds the ID3v2 tag and the room for the info
// frame, one frame at most (1441 bytes at 320 kbps and 32 kHz).
constexpr std::uint32_t InfoFrameRoom = 1441;

// Open streams by handle. Handles count up and are never reused, so a stale handle
// can never reach another caller's stream.
class StreamTable
{
public:
    HBE_STREAM Add(const EncoderStream& stream)
    {
        std::lock_guard lock(m_mutex);
        if (m_next == 0) { // all 2^32 - 1 handles spent
            return 0;
        }
        const HBE_STREAM handle = m_next++;
        m_streams.emplace(handle, stream);
        return handle;
    }
    bool Find(HBE_STREAM handle, EncoderStream* stream)
    {
        std::lock_guard lock(m_mutex);
        const auto it = m_streams.find(handle);
        if (it == m_streams.end()) {
            return false;
        }
        *stream = it->second;
        return true;
    }
    bool Take(HBE_STREAM handle, EncoderStream* stream)
    {
        std::lock_guard lock(m_mutex);
        const auto it = m_streams.find(handle);
        if (it == m_streams.end()) {
            return false;
        }
        *stream = it->second;
        m_streams.erase(it);
        return true;
    }

private:
    std::mutex m_mutex;
    std::map<HBE_STREAM, EncoderStream> m_streams;
    HBE_STREAM m_next = 1;
};

StreamTable& streams()
{
    static StreamTable table;
    return table;
}

} // namespace

std::uint32_t beInitStream(const EncoderConfig& config, std::uint32_t* samples, std::uint32_t* bufferSize,
                           HBE_STREAM* stream)
{
    return beInitStream(config, Mp3Tags{}, samples, bufferSize, stream);
}

namespace {

// Opens a stream with the tags in front of its frames, or with none and no info frame.
std::uint32_t initStream(const EncoderConfig& config, const Mp3Tags* tags, std::uint32_t* samples,
                         std::uint32_t* bufferSize, HBE_STREAM* stream)
{
    if (!samples || !bufferSize || !stream) {
        return BeErr::InvalidFormatParameters;
    }
    if (config.Dword(EncoderConfig::dwConfig) != EncoderConfig::ConfigLame) {
        return BeErr::InvalidFormat;
    }
    EncoderStream s;
    s.lame = lame_init();
    if (!s.lame) {
        return BeErr::NoMoreHandles;
    }
    bool applied = ApplyEncoderConfig(s.lame, config);
    if (applied && tags)
        applied = ApplyMp3Tags(s.lame, *tags);
    else
        lame_set_bWriteVbrTag(s.lame, 0);
    if (!applied || lame_init_params(s.lame) < 0) {
        lame_close(s.lame);
        return BeErr::InvalidFormatParameters;
    }
    s.channels = lame_get_num_channels(s.lame);
    s.samples = std::uint32_t(lame_get_framesize(s.lame) * s.channels);
    // Asked with no buffer, LAME tells the size of the tag it wrote.
    s.tagSize = tags ? std::uint32_t(lame_get_id3v2_tag(s.lame, nullptr, 0)) : 0;
    // LAME's own worst case for n samples per channel is 1.25 n + 7200 bytes.
    s.bufferSize = s.samples + s.samples / 4 + 7200 + s.tagSize + InfoFrameRoom;
    const HBE_STREAM handle = streams().Add(s);
    if (handle == 0) {
        lame_close(s.lame);
        return BeErr::NoMoreHandles;
    }
    *samples = s.samples;
    *bufferSize = s.bufferSize;
    *stream = handle;
    return BeErr::Successful;
}

} // namespace

std::uint32_t beInitStream(const EncoderConfig& config, const Mp3Tags& tags, std::uint32_t* samples,
                           std::uint32_t* bufferSize, HBE_STREAM* stream)
{
    return initStream(config, &tags, samples, bufferSize, stream);
}

std::uint32_t beInitPieceStream(const EncoderConfig& config, std::uint32_t* samples,
                                std::uint32_t* bufferSize, HBE_STREAM* stream)
{
    return initStream(config, nullptr, samples, bufferSize, stream);
}

std::uint32_t beEncodeChunk(HBE_STREAM stream, std::uint32_t sampleCount, const short* input,
                            unsigned char* output, std::uint32_t* outputBytes)
{
    EncoderStream s;
    if (!streams().Find(stream, &s)) {
        return BeErr::InvalidHandle;
    }
    if (!output || !outputBytes || (sampleCount > 0 && !input) || sampleCount > s.samples) {
        return BeErr::BufferTooSmall;
    }
    const int frames = int(sampleCount) / s.channels;
    // LAME reads the samples only; its interface merely lacks the const.
    short* pcm = const_cast<short*>(input);
    const int written = s.channels == 2
                            ? lame_encode_buffer_interleaved(s.lame, pcm, frames, output, int(s.bufferSize))
                            : lame_encode_buffer(s.lame, pcm, pcm, frames, output, int(s.bufferSize));
    if (written < 0) {
        return BeErr::BufferTooSmall;
    }
    *outputBytes = std::uint32_t(written);
    return BeErr::Successful;
}

std::uint32_t beDeinitStream(HBE_STREAM stream, unsigned char* output, std::uint32_t* outputBytes)
{
    EncoderStream s;
    if (!streams().Find(stream, &s)) {
        return BeErr::InvalidHandle;
    }
    if (!output || !outputBytes) {
        return BeErr::BufferTooSmall;
    }
    const int written = lame_encode_flush(s.lame, output, int(s.bufferSize));
    if (written < 0) {
        return BeErr::BufferTooSmall;
    }
    *outputBytes = std::uint32_t(written);
    return BeErr::Successful;
}

std::uint32_t beInfoFrame(HBE_STREAM stream, unsigned char* output, std::uint32_t* outputBytes,
                          std::uint32_t* offset)
{
    EncoderStream s;
    if (!streams().Find(stream, &s)) {
        return BeErr::InvalidHandle;
    }
    if (!output || !outputBytes || !offset) {
        return BeErr::BufferTooSmall;
    }
    const std::size_t size = lame_get_lametag_frame(s.lame, output, s.bufferSize);
    if (size > s.bufferSize) {
        return BeErr::BufferTooSmall;
    }
    *outputBytes = std::uint32_t(size);
    *offset = s.tagSize;
    return BeErr::Successful;
}

std::uint32_t beCloseStream(HBE_STREAM stream)
{
    EncoderStream s;
    if (!streams().Take(stream, &s)) {
        return BeErr::InvalidHandle;
    }
    lame_close(s.lame);
    return BeErr::Successful;
}
