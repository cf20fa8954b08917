#include "main/JpegImage.h"

#include "files/VemoError.h"

#include <QFile>
#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace {

constexpr qint64 MaxPixels = 100'000'000;

// libjpeg reports fatal errors through error_exit, which must not return: it jumps back to
// the decoding function with the library's message kept.
struct JpegErrorManager
{
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr info)
{
    auto* err = reinterpret_cast<JpegErrorManager*>(info->err);
    err->pub.format_message(info, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings (such as a truncated file, which still decodes) are not printed on stderr.
void EmitMessage(j_common_ptr, int) {}

void ConvertInvertedCmyk(QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        uchar* p = image.scanLine(y);
        for (int x = 0; x < image.width(); ++x, p += 4) {
            const int k = p[3];
            p[0] = static_cast<uchar>(p[0] * k / 255);
            p[1] = static_cast<uchar>(p[1] * k / 255);
            p[2] = static_cast<uchar>(p[2] * k / 255);
            p[3] = 255;
        }
    }
}

// Runs the decoder into *out. No object with a destructor lives in this frame across a
// libjpeg call, so the jump back from ErrorExit skips nothing. Returns false on an error,
// with the message in err.message.
bool DecodeInto(jpeg_decompress_struct* info, JpegErrorManager* err, const QByteArray* data, QImage* out)
{
    if (setjmp(err->jump))
        return false;
    jpeg_mem_src(info, reinterpret_cast<const unsigned char*>(data->constData()),
                 static_cast<unsigned long>(data->size()));
    jpeg_read_header(info, TRUE);
    const bool cmyk = info->jpeg_color_space == JCS_CMYK || info->jpeg_color_space == JCS_YCCK;
    info->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_RGBX;
    jpeg_start_decompress(info);
    if (static_cast<qint64>(info->output_width) * info->output_height > MaxPixels) {
        std::snprintf(err->message, sizeof err->message, "the picture is too large (%u x %u)",
                      info->output_width, info->output_height);
        return false;
    }
    *out = QImage(static_cast<int>(info->output_width), static_cast<int>(info->output_height),
                  QImage::Format_RGBX8888);
    if (out->isNull()) {
        std::snprintf(err->message, sizeof err->message, "not enough memory for the picture");
        return false;
    }
    while (info->output_scanline < info->output_height) {
        JSAMPROW row = out->scanLine(static_cast<int>(info->output_scanline));
        jpeg_read_scanlines(info, &row, 1);
    }
    jpeg_finish_decompress(info);
    if (cmyk)
        ConvertInvertedCmyk(*out);
    return true;
}

} // namespace

QImage DecodeJpeg(const QByteArray& data, const QString& fileName)
{
    jpeg_decompress_struct info{};
    JpegErrorManager err{};
    info.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.emit_message = EmitMessage;
    jpeg_create_decompress(&info);
    QImage image;
    const bool ok = DecodeInto(&info, &err, &data, &image);
    jpeg_destroy_decompress(&info);
    if (!ok)
        throw VemoError(QStringLiteral("%1: not a readable JPEG picture (%2)")
                            .arg(fileName, QString::fromLocal8Bit(err.message)));
    return image;
}

QImage LoadJpegFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw VemoError(QStringLiteral("%1: cannot read the picture (%2)").arg(fileName, file.errorString()));
    return DecodeJpeg(file.readAll(), fileName);
}
