// Reads and writes about 1 MB of bilingual, formatted RTF through a QTextDocument and prints
// the times, beside QTextDocument::setPlainText of the same text as a reference.
#include "text/rtf/Rtf.h"

#include <QElapsedTimer>
#include <QTextCursor>
#include <QTextDocument>
#include <cstdio>

namespace {

// Paragraphs of Russian and English with a change of format every few words.
void FillDocument(QTextDocument& doc, qsizetype targetBytes)
{
    const QStringList words =
        QStringLiteral("Вемо читает вслух двуязычный текст, Vemo reads bilingual text aloud; "
                       "ёлочки «кавычки» — тире, № 42, α ≈ 😀.")
            .split(u' ');
    QTextCharFormat plain;
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    QTextCharFormat red;
    red.setForeground(Qt::red);
    red.setFontPointSize(15);
    QTextCharFormat marked;
    marked.setBackground(Qt::yellow);
    marked.setFontItalic(true);
    marked.setFontFamilies({QStringLiteral("Liberation Serif")});
    const QTextCharFormat* formats[] = {&plain, &bold, &plain, &red, &plain, &marked};
    QTextCursor cursor(&doc);
    cursor.beginEditBlock();
    for (qsizetype i = 0; WriteRtf(doc).size() < targetBytes; ++i) {
        for (int n = 0; n < 2000; ++n, ++i) {
            cursor.insertText(words.at(i % words.size()) + u' ', *formats[(i / 3) % 6]);
            if (i % 60 == 59)
                cursor.insertBlock();
        }
    }
    cursor.endEditBlock();
}

template <typename F> double BestMs(F&& f)
{
    double best = 1e9;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer timer;
        timer.start();
        f();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

} // namespace

int main()
{
    QTextDocument source;
    FillDocument(source, 1 << 20);
    const QByteArray rtf = WriteRtf(source);
    const QString text = source.toRawText();

    QByteArray written;
    const double writeMs = BestMs([&] { written = WriteRtf(source); });
    QTextDocument target;
    const double readMs = BestMs([&] { ReadRtf(rtf, target); });
    QTextDocument plain;
    const double plainMs = BestMs([&] { plain.setPlainText(text); });

    const double mb = rtf.size() / 1048576.0;
    std::printf("RTF size          %.2f MB, %lld characters, %d paragraphs\n", mb, (long long)text.size(),
                source.blockCount());
    std::printf("read  (ReadRtf)   %8.1f ms  %6.1f MB/s\n", readMs, mb / (readMs / 1000));
    std::printf("write (WriteRtf)  %8.1f ms  %6.1f MB/s\n", writeMs, mb / (writeMs / 1000));
    std::printf("setPlainText      %8.1f ms  (reference; read is %.1fx, write %.1fx of it)\n", plainMs,
                readMs / plainMs, writeMs / plainMs);
    std::printf("same text back    %s\n", target.toRawText() == text ? "yes" : "NO");
    return 0;
}
