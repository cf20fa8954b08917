#pragma once

#include <QFile>
#include <QString>

// The bilingual text of the peer pipeline benchmark: its paragraphs (between
// "cat > paras.txt <<'TXT'" and the closing "TXT" of the script), repeated whole until
// the text holds at least 50,000 characters, as the script builds it. Empty when the
// script cannot be read.
inline QString PeerBenchmarkText()
{
    QFile script(QStringLiteral(VEMO_SHARED_DIR "/bench/peer-pipeline.sh"));
    if (!script.open(QIODevice::ReadOnly))
        return {};
    const QString all = QString::fromUtf8(script.readAll());
    const QString open = QStringLiteral("<<'TXT'\n");
    const qsizetype from = all.indexOf(open);
    const qsizetype to = all.indexOf(QStringLiteral("\nTXT\n"), from);
    if (from < 0 || to < 0)
        return {};
    const QString paragraphs = all.mid(from + open.size(), to - from - open.size() + 1);
    QString text;
    while (text.size() < 50000)
        text += paragraphs;
    return text;
}
