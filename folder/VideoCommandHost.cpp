#include "folder/VideoCommandHost.h"

#include "folder/VideoBatch.h"
#include "soundfile/PartFileNames.h"

VideoCommandHost::VideoCommandHost(SpeakToFileHost& host, VideoBatch* batch, const QString& textFile,
                                   QStringList* videoFiles)
    : m_host(host), m_batch(batch), m_textFile(textFile), m_videoFiles(videoFiles)
{}

void VideoCommandHost::ShowConversionError(const QString& message, const QString& wavFileName)
{
    m_conversionErrors.append(message.trimmed() + u' ' + wavFileName);
}

void VideoCommandHost::SoundFileFinished(const QString& fileName)
{
    m_host.SoundFileFinished(fileName);
    m_finished.append(fileName);
    if (!m_batch)
        return;
    const QString videoFile = PartFileNames::WithoutExtension(fileName) + m_batch->VideoExtension();
    m_batch->AddVideoCommand(m_textFile, fileName, videoFile);
    if (m_videoFiles)
        m_videoFiles->append(videoFile);
}
