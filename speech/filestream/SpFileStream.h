#pragma once

#include <QString>
#include <memory>

// A RIFF WAV file written by the voices: canonical 44-byte header, 8-bit unsigned or
// 16-bit signed samples, mono or stereo, in one of the SpeechAudioFormatType formats
// 4..39. The engine delivers 16-bit mono at its own rate; the stream converts.
// Sizes in the header are patched at every Seek (the runs seek after each fragment) and on
// Close, so a file cut short still plays up to its last fragment. Positions are byte positions in the sample
// data (the header not counted). Safe to write from the engine thread while the GUI
// thread owns the object; the GUI thread seeks only while no voice speaks into it.
class SpFileStream
{
public:
    SpFileStream();
    ~SpFileStream(); // closes an open file
    SpFileStream(const SpFileStream&) = delete;
    SpFileStream& operator=(const SpFileStream&) = delete;

    // Format.Type: a SpeechAudioFormatType value 4..39; throws VemoError on others.
    void SetFormatType(int speechAudioFormatType);
    int FormatType() const;

    // mode 3: create for writing, replacing an existing file. Throws VemoError naming the file.
    void Open(const QString& fileName, int mode = 3);
    // origin 0 start, 1 current, 2 end; returns the new byte position. A position outside
    // the written data is clamped to it and rounded down to a whole frame. Throws VemoError
    // for a closed stream and for a write that failed since the last call.
    qint64 Seek(qint64 position, int origin);
    // Writes what is still pending and the final header sizes; does nothing when closed.
    // Throws VemoError (the file is closed all the same) for a failed write not yet reported.
    void Close();
    bool IsOpen() const;
    QString FileName() const;

    // Engine side: appends 16-bit mono samples of the given rate at the current position.
    // Never throws: a failure stops the writing and waits for the next Seek or Close.
    void WriteSamples(const qint16* samples, qsizetype count, int sampleRate);
    // Engine side: the end of one Speak; whatever the converter still holds is written.
    void Flush();

private:
    struct Private;
    std::unique_ptr<Private> d;
};
