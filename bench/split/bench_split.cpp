// Times SplitPlainText on a bilingual text of 1,000,000 and 10,000,000 characters, made by
// repeating the paragraphs of the peer pipeline benchmark, with and without the fragment dump.
#include "files/VemoError.h"
#include "text/Segmentation.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// The paragraphs between "cat > paras.txt <<'TXT'" and the closing "TXT" of the script.
QString ParagraphsFromScript(const QString& path)
{
    QFile script(path);
    if (!script.open(QIODevice::ReadOnly))
        throw VemoError(QStringLiteral("Cannot read \"%1\": %2").arg(path, script.errorString()));
    const QString all = QString::fromUtf8(script.readAll());
    const QString open = QStringLiteral("<<'TXT'\n");
    const qsizetype from = all.indexOf(open);
    const qsizetype to = all.indexOf(QStringLiteral("\nTXT\n"), from);
    if (from < 0 || to < 0)
        throw VemoError(QStringLiteral("No paragraph block in \"%1\"").arg(path));
    return all.mid(from + open.size(), to - from - open.size() + 1);
}

QString RepeatTo(const QString& paragraphs, qsizetype characters)
{
    QString text;
    text.reserve(characters + paragraphs.size());
    while (text.size() < characters)
        text += paragraphs;
    text.truncate(characters);
    return text;
}

double MedianMs(const QString& text, int runs, const QString& dumpFile, qsizetype& fragments)
{
    std::vector<double> times;
    FragmentLists lists;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer timer;
        timer.start();
        SplitPlainText(text, FragmentLimit, QStringLiteral("R"), lists, dumpFile);
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    fragments = lists.Count();
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void Report(const char* label, const QString& text, int runs, const QString& dumpFile)
{
    qsizetype fragments = 0;
    const double ms = MedianMs(text, runs, dumpFile, fragments);
    const double mchars = text.size() / 1e6;
    const double mbytes = text.toUtf8().size() / 1e6;
    std::printf("%-28s %10lld chars %8lld fragments  median %8.2f ms  %7.1f Mchar/s  %7.1f MB/s (UTF-8)\n",
                label, static_cast<long long>(text.size()), static_cast<long long>(fragments), ms,
                mchars / (ms / 1000.0), mbytes / (ms / 1000.0));
}

} // namespace

int main()
{
    try {
        const QString paragraphs =
            ParagraphsFromScript(QStringLiteral(VEMO_SHARED_DIR "/bench/peer-pipeline.sh"));
        const QString small = RepeatTo(paragraphs, 1'000'000);
        const QString large = RepeatTo(paragraphs, 10'000'000);
        QTemporaryDir dir;
        const QString dump = dir.filePath(FragmentDumpFileName);

        Report("1M, no dump", small, 9, QString());
        Report("10M, no dump", large, 5, QString());
        Report("1M, with dump", small, 5, dump);
        Report("10M, with dump", large, 3, dump);
    } catch (const VemoError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.Message()));
        return 1;
    }
    return 0;
}
