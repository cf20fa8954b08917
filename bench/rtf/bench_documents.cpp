// Open and Save of about 1 MB of plain text (Windows-1251 and UTF-8) and of RTF through the
// main window's document commands into a real text box (offscreen, test speech engine).
// Prints milliseconds for each (best of three); aims: plain text 300 ms, RTF 1 s.
#include "documents/TextDocumentIO.h"
#include "main/DocumentCommands.h"
#include "main/FormMain.h"
#include "main/RichTextBox.h"
#include "tests/main/MainControls.h"
#include "text/rtf/Rtf.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <cstdio>

namespace {

constexpr qsizetype TargetBytes = 1000000;

// Lines of Russian and English words with CR LF breaks, about targetBytes once encoded.
QString BilingualText(qsizetype targetBytes, bool utf8)
{
    const QString line =
        QStringLiteral("Вемо читает вслух двуязычный текст, and it reads English too. 42\r\n");
    const qsizetype lineBytes = utf8 ? line.toUtf8().size() : line.size();
    return line.repeated(targetBytes / lineBytes);
}

QByteArray FormattedRtf(qsizetype targetBytes)
{
    QTextDocument doc;
    QTextCursor cursor(&doc);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    const QStringList words =
        QStringLiteral("Вемо читает вслух двуязычный текст, Vemo reads aloud.").split(u' ');
    for (qsizetype i = 0; i < 20000; ++i) {
        cursor.insertText(words.at(i % words.size()) + u' ', i % 7 == 0 ? bold : QTextCharFormat());
        if (i % 12 == 11)
            cursor.insertBlock();
    }
    const QByteArray part = WriteRtf(doc);
    QByteArray body = part.mid(part.indexOf("\\pard"));
    body.chop(1);
    QByteArray rtf = part.left(part.indexOf("\\pard"));
    while (rtf.size() < targetBytes)
        rtf += body;
    return rtf + '}';
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

template <typename F> double BestMs(F&& f)
{
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer timer;
        timer.start();
        f();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

void Measure(TFormMain& form, const char* label, const QString& path, bool plainMode)
{
    const MainControls ui(form);
    ui.MText->SetPlainTextMode(plainMode);
    const double openMs = BestMs([&] { form.Documents().OpenFile(path); });
    const QString copy = path + QStringLiteral(".saved");
    const DocumentEncoding encoding = form.Documents().Encoding();
    const double saveMs = BestMs([&] { SaveDocument(copy, plainMode, *ui.MText->document(), encoding); });
    // Reference: the same reading into a document that no text box shows.
    const double detachedMs = BestMs([&] {
        QTextDocument detached;
        LoadDocument(path, plainMode, detached);
    });
    std::printf("%-22s %5.2f MB %7d chars   open %6.1f ms (%6.1f ms without the box)   save %6.1f ms\n",
                label, QFile(path).size() / 1048576.0, ui.MText->document()->characterCount() - 1, openMs,
                detachedMs, saveMs);
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    qputenv("VEMO_SETTINGS_DIR", dir.path().toUtf8());
    QApplication app(argc, argv);
    const QString cp1251 = dir.filePath(QStringLiteral("cp1251.txt"));
    const QString utf8 = dir.filePath(QStringLiteral("utf8.txt"));
    const QString rtf = dir.filePath(QStringLiteral("doc.rtf"));
    WriteFile(cp1251, *EncodeText(BilingualText(TargetBytes, false), TextEncoding::Windows1251));
    WriteFile(utf8, BilingualText(TargetBytes, true).toUtf8());
    WriteFile(rtf, FormattedRtf(TargetBytes));

    TFormMain form(SpeechEngineKind::Test);

    const MainControls ui(form);
    form.show();
    Measure(form, "plain, Windows-1251", cp1251, true);
    Measure(form, "plain, UTF-8", utf8, true);
    Measure(form, "plain file, rich mode", cp1251, false);
    Measure(form, "RTF, rich mode", rtf, false);
    return 0;
}
