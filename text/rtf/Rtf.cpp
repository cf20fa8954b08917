#include "text/rtf/Rtf.h"

#include "files/VemoError.h"
#include "text/rtf/RtfReader.h"
#include "text/rtf/RtfWriter.h"

#include <QTextDocument>

bool IsRtf(const QByteArray& data)
{
    // A UTF-8 byte order mark, put there by some editors, is passed over like white space.
    qsizetype pos = data.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (pos < data.size() && (data[pos] == ' ' || data[pos] == '\t' || data[pos] == '\r' ||
                                 data[pos] == '\n' || data[pos] == '\f' || data[pos] == '\v'))
        ++pos;
    return QByteArrayView(data).sliced(pos).startsWith("{\\rtf");
}

void ReadRtf(const QByteArray& data, QTextDocument& document)
{
    if (!IsRtf(data))
        throw VemoError(QStringLiteral("not valid RTF"));
    // Reading replaces the whole text, so the undo history would only cost time and memory.
    const bool undo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);
    RtfReader(data, document).Read();
    document.setUndoRedoEnabled(undo);
}

QByteArray WriteRtf(const QTextDocument& document)
{
    return RtfWriter(document).Write();
}
