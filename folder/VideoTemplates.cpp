#include "folder/VideoTemplates.h"

#include "folder/DirSettings.h"

#include <QRegularExpression>

namespace VideoTemplates {

// The cover is read two frames a second (a still picture needs no more) and scaled into
// 1280×720 with even sides, as H.264 wants, and padded to the full size in the middle
// (negative offsets centre it). -shortest ends the video with the sound; without the larger
// interleaving window it would end up to 10 s later, so sparse are the picture's frames.
// -f mp4 keeps the format whatever the name, and names the file ".mp4" (VideoExtension).
QString Mp4WithSubtitles()
{
    return QStringLiteral("-i %fsnd -loop 1 -framerate 2 -i %fjpg -i %fsrt -map 1:v -map 0:a -map 2:s "
                          "-vf scale=1280:720:force_original_aspect_ratio=decrease:force_divisible_by=2,"
                          "pad=1280:720:-1:-1,setsar=1,format=yuv420p "
                          "-c:v libx264 -preset veryfast -tune stillimage -c:a aac -b:a 128k -c:s mov_text "
                          "-shortest -fflags +shortest -max_interleave_delta 100M -y -f mp4 %fvideo");
}

std::optional<QString> Named(const QString& name)
{
    if (name == u"default")
        return DirSettings::DefaultCommandTemplate();
    if (name == u"mp4")
        return Mp4WithSubtitles();
    return std::nullopt;
}

QString VideoExtension(const QString& commandTemplate)
{
    static const QRegularExpression mp4(QStringLiteral("(^|\\s)-f\\s+mp4(\\s|$)"));
    return commandTemplate.contains(mp4) ? QStringLiteral(".mp4") : QStringLiteral(".avi");
}

} // namespace VideoTemplates
