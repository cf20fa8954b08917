// Feeds arbitrary text to the speech-markup reader and checks what it gives back: every
// character of a text segment points into the markup, in increasing order, and every
// setting stays in its range.
#include "speech/xml/SapiXml.h"

#include <cstddef>
#include <cstdint>

namespace {

bool InRange(const std::optional<int>& value, int low, int high)
{
    return !value || (*value >= low && *value <= high);
}

bool Sound(const SapiSegment& segment, qsizetype markupSize, int& lastPosition)
{
    if (segment.kind == SapiSegment::Kind::Silence)
        return segment.silenceMs >= 0 && segment.text.isEmpty();
    if (segment.text.isEmpty() || segment.sourcePositions.size() != segment.text.size())
        return false;
    for (const int position : segment.sourcePositions) {
        if (position < 0 || position >= markupSize || position < lastPosition)
            return false;
        lastPosition = position;
    }
    return InRange(segment.rateAbsolute, -10, 10) && segment.rateRelative >= -10 &&
           segment.rateRelative <= 10 && InRange(segment.volume, 0, 100) &&
           InRange(segment.pitchAbsolute, -10, 10) && segment.pitchRelative >= -10 &&
           segment.pitchRelative <= 10;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString markup = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    int lastPosition = 0;
    for (const SapiSegment& segment : ParseSapiXml(markup)) {
        if (!Sound(segment, markup.size(), lastPosition))
            __builtin_trap();
    }
    return 0;
}
