#include "folder/VideoCommandHost.h"

#include "folder/VideoBatch.h"
#include "soundfile/PartFileNames.h"

VideoCommandHost::VideoCommandHost(SpeakToFileHost& host, VideoBatch& batch, const QString& textFile,
                                   QStringList& videoFiles)
    : m_host(host), m_batch(batch), m_textFile(textFile), m_videoFiles(videoFiles)
{}

void VideoCommandHost::ShowConversionError(const QString& message, const QString& wavFileName)
{
    m_host.ShowConversionError(message, wavFileName);
}

void VideoCommandHost::SoundFileFinished(const QString& fileName)
{
    m_host.SoundFileFinished(fileName);
    const QString videoFile = PartFileNames::WithoutExtension(fileName) + m_batch.VideoExtension();
    m_batch.AddVideoCommand(m_textFile, fileName, videoFile);
    m_videoFiles.append(videoFile);
}
