#include "speech/filestream/StreamResampler.h"

#include "files/MessageLanguage.h"
#include "files/VemoError.h"

#include <soxr.h>

StreamResampler::StreamResampler(int inputRate, int outputRate)
    : m_inputRate(inputRate), m_outputRate(outputRate)
{
    if (inputRate <= 0 || outputRate <= 0)
        throw VemoError(
            Say("Invalid sample rate: %1 Hz", "Недопустимая частота дискретизации: %1 Гц").arg(inputRate));
    if (inputRate == outputRate)
        return;
    soxr_io_spec_t io = soxr_io_spec(SOXR_INT16_I, SOXR_INT16_I);
    io.flags |= SOXR_NO_DITHER; // silence stays silence, the output is reproducible
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    soxr_error_t error = nullptr;
    m_soxr = soxr_create(inputRate, outputRate, 1, &error, &io, &quality, nullptr);
    if (error || !m_soxr)
        throw VemoError(
            Say("Sample rate conversion failed: %1", "Ошибка преобразования частоты дискретизации: %1")
                .arg(QString::fromUtf8(soxr_strerror(error))));
}

StreamResampler::~StreamResampler()
{
    soxr_delete(m_soxr);
}

void StreamResampler::Process(const qint16* samples, qsizetype count, std::vector<qint16>& out)
{
    if (count <= 0)
        return;
    if (!m_soxr) {
        out.insert(out.end(), samples, samples + count);
        return;
    }
    Run(samples, std::size_t(count), out);
}

void StreamResampler::Drain(std::vector<qint16>& out)
{
    if (!m_soxr)
        return;
    Run(nullptr, 0, out);
    soxr_clear(m_soxr);
}

// Feeds the samples (nullptr: the end of the stream) and collects all output they give.
void StreamResampler::Run(const qint16* samples, std::size_t count, std::vector<qint16>& out)
{
    const double ratio = double(m_outputRate) / m_inputRate;
    const std::size_t room = std::size_t(double(count) * ratio) + 1024;
    std::size_t fed = 0;
    for (;;) {
        const std::size_t start = out.size();
        out.resize(start + room);
        std::size_t used = 0;
        std::size_t made = 0;
        const qint16* in = samples ? samples + fed : nullptr;
        const soxr_error_t error =
            soxr_process(m_soxr, in, samples ? count - fed : 0, &used, out.data() + start, room, &made);
        out.resize(start + made);
        if (error)
            throw VemoError(
                Say("Sample rate conversion failed: %1", "Ошибка преобразования частоты дискретизации: %1")
                    .arg(QString::fromUtf8(soxr_strerror(error))));
        fed += used;
        const bool draining = samples == nullptr;
        if (draining ? made == 0 : (made < room && fed >= count))
            return;
    }
}
