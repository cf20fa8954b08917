#pragma once

#include <QtGlobal>
#include <vector>

struct soxr;

// Converts a stream of 16-bit mono samples from one rate to another, piece by piece, with
// libsoxr. Samples go through unchanged when the rates are equal. Throws VemoError when
// the converter cannot be made.
class StreamResampler
{
public:
    StreamResampler(int inputRate, int outputRate);
    ~StreamResampler();
    StreamResampler(const StreamResampler&) = delete;
    StreamResampler& operator=(const StreamResampler&) = delete;

    int InputRate() const { return m_inputRate; }
    // Appends to out what the converter yields for these samples (it may hold some back).
    void Process(const qint16* samples, qsizetype count, std::vector<qint16>& out);
    // Appends everything still held back and makes the converter ready for a new stream.
    void Drain(std::vector<qint16>& out);

private:
    void Run(const qint16* samples, std::size_t count, std::vector<qint16>& out);

    int m_inputRate;
    int m_outputRate;
    soxr* m_soxr = nullptr;
};
