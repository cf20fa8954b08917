#include "speech/DispatcherSsml.h"

#include "speech/SpokenText.h"
#include "speech/UtteranceEngine.h"

#include <QSet>

QString MarkedSsml(const SpokenText& spoken, const QList<int>& wordStarts, int from)
{
    const QSet<int> marks(wordStarts.cbegin(), wordStarts.cend());
    QHash<int, int> silences; // spoken index of a silence's blank: its length in ms
    const QList<SapiSegment>& segments = spoken.Segments();
    for (qsizetype k = 0; k < segments.size(); ++k) {
        if (segments.at(k).kind == SapiSegment::Kind::Silence)
            silences.insert(spoken.SegmentOffset(k), segments.at(k).silenceMs);
    }
    const QString text = EngineText(spoken.Text());
    QString ssml = QStringLiteral("<speak>");
    for (int i = qMax(0, from); i < int(text.size()); ++i) {
        if (const auto silence = silences.constFind(i); silence != silences.cend()) {
            ssml += QStringLiteral("<break time=\"%1ms\"/>").arg(*silence);
            continue;
        }
        if (marks.contains(i))
            ssml += QStringLiteral("<mark name=\"%1\"/>").arg(i);
        switch (text.at(i).unicode()) {
        case u'<':
            ssml += QLatin1String("&lt;");
            break;
        case u'>':
            ssml += QLatin1String("&gt;");
            break;
        case u'&':
            ssml += QLatin1String("&amp;");
            break;
        default:
            ssml += text.at(i);
        }
    }
    ssml += QLatin1String("</speak>");
    return ssml;
}
