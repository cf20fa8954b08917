#pragma once

#include <QString>
#include <optional>

// The converter command templates the program has ready, beside any the user writes. Each
// holds the placeholders "%fsnd" (the sound file), "%fjpg" (the cover picture), "%fsrt" (the
// SRT subtitles written beside the sound file) and "%fvideo" (the video file); the batch is
// run by /bin/sh, so a template is a piece of a shell command line.
namespace VideoTemplates {

// An MP4 file a phone or a television plays: H.264 video of the cover at 1280×720 (scaled to
// fit, the rest black), AAC sound and the SRT subtitles as a soft subtitle track (mov_text).
QString Mp4WithSubtitles();

// The template a name on the command line stands for: "default" (the program's first
// template, an AVI file) or "mp4" (Mp4WithSubtitles); nullopt for any other name.
std::optional<QString> Named(const QString& name);

// The video file's extension for a template: ".mp4" when the template asks the converter
// for the MP4 format ("-f mp4"), else ".avi" as always.
QString VideoExtension(const QString& commandTemplate);

} // namespace VideoTemplates
