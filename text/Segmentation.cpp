#include "text/Segmentation.h"

#include "files/MessageLanguage.h"
#include "files/TextLineBreaks.h"
#include "files/VemoError.h"
#include "text/LineBreaks.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>
#include <array>
#include <limits>
#include <string_view>

namespace {

// Every code from 0 to 32 and sixteen ASCII signs end a word; nothing from 127 up does.
constexpr std::array<bool, 128> AsciiSeparators = [] {
    std::array<bool, 128> table{};
    for (int u = 0; u <= 32; ++u)
        table[u] = true;
    for (const char sign : std::string_view("\"'(),-./:;[\\]`{}"))
        table[static_cast<unsigned char>(sign)] = true;
    return table;
}();

const QString LangR = QStringLiteral("R");
const QString LangE = QStringLiteral("E");

bool IsAsciiLatin(char16_t u)
{
    return (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z');
}

// The tag of a word that begins with c; anything but "E" for digits means the Russian voice.
const QString& LanguageOfChar(QChar c, bool digitsEnglish)
{
    const char16_t u = c.unicode();
    if (IsAsciiLatin(u))
        return LangE;
    if (u >= u'0' && u <= u'9')
        return digitsEnglish ? LangE : LangR;
    return LangR;
}

} // namespace

// The pass over the work text. F (the fragment being built) and W (the pending word) are
// always contiguous stretches of the work text, so they are kept as positions and every
// fragment is cut out with one mid(): the whole split stays linear in the text length.
class PlainSplitter
{
public:
    PlainSplitter(const QString& work, int limit, bool digitsEnglish, FragmentLists& lists)
        : m_work(work), m_limit(limit), m_digitsEnglish(digitsEnglish), m_lists(lists)
    {}

    void Run() { Advance(m_work.size(), true); }

    // Examines up to characters more characters of the work text, emitting the fragments
    // they complete; true once the whole text is cut. complete: the work text holds the whole
    // text; until it does, the last character waits for the next one (a full stop's cut takes
    // the character after it) and the end of the text is not settled. Emitted fragments never
    // change, so a cut in stretches gives the fragments of a cut in one go.
    bool Advance(qsizetype characters, bool complete)
    {
        const qsizetype n = m_work.size();
        if (m_i < 0 && !SkipLeading(complete))
            return m_done;
        const qsizetype available = complete ? n : n - 1;
        const qsizetype until = available - m_i > characters ? m_i + characters : available;
        while (m_i < until)
            m_i = Step(m_i);
        if (!complete || m_i < n || m_done)
            return m_done;
        if (m_wStart >= 0)
            SettleAtEnd(n);
        EmitFragment();
        return m_done = true;
    }

    // The position of the next character to examine.
    qsizetype Position() const { return m_i < 0 ? m_skipped : m_i; }

private:
    qsizetype FragmentLength() const { return m_fEnd - m_fStart; }

    // Passes over the separators the text begins with; true once the first fragment's
    // language is known, and m_done once a complete text turned out to hold none.
    bool SkipLeading(bool complete)
    {
        const qsizetype n = m_work.size();
        while (m_skipped < n && IsLeadingSkip(m_work.at(m_skipped)))
            ++m_skipped;
        if (m_skipped == n) {
            m_done = complete;
            return false;
        }
        m_i = m_skipped;
        m_lang = &LanguageOfChar(m_work.at(m_i), m_digitsEnglish);
        m_fStart = m_fEnd = m_i;
        return true;
    }

    // Handles the character at i and returns the position of the next one to examine.
    qsizetype Step(qsizetype i)
    {
        const QChar c = m_work.at(i);
        if (!IsSeparator(c)) {
            if (m_wStart < 0)
                m_wStart = i;
            return i + 1;
        }
        if (m_wStart >= 0 && SettleAtSeparator(i))
            return CutAfterFullStop(i);
        m_fEnd = i + 1;
        return i + 1;
    }

    // Settles W = [m_wStart, i) at the separator at i; true when it ends a sentence cut.
    bool SettleAtSeparator(qsizetype i)
    {
        const QString& wordLang = LanguageOfChar(m_work.at(m_wStart), m_digitsEnglish);
        if (wordLang != *m_lang) {
            ChangeLanguage(wordLang);
        } else if (FragmentLength() > m_limit && m_work.at(i) == u'.') {
            m_fEnd = i + 1;
            EmitFragment();
            m_wStart = -1;
            return true;
        }
        m_fEnd = i;
        m_wStart = -1;
        return false;
    }

    void SettleAtEnd(qsizetype n)
    {
        const QString& wordLang = LanguageOfChar(m_work.at(m_wStart), m_digitsEnglish);
        if (wordLang != *m_lang)
            ChangeLanguage(wordLang);
        m_fEnd = n;
        m_wStart = -1;
    }

    // Emits F and starts the next fragment at the pending word.
    void ChangeLanguage(const QString& wordLang)
    {
        EmitFragment();
        m_fStart = m_wStart;
        m_lang = &wordLang;
    }

    // The full stop at i closed a fragment: the character after it, taken as it is, opens
    // the next fragment and sets its language.
    qsizetype CutAfterFullStop(qsizetype i)
    {
        const qsizetype next = i + 1;
        if (next >= m_work.size()) {
            m_fStart = m_fEnd = next;
            return next;
        }
        m_lang = &LanguageOfChar(m_work.at(next), m_digitsEnglish);
        m_fStart = next;
        m_fEnd = next + 1;
        return next + 1;
    }

    void EmitFragment()
    {
        if (FragmentLength() <= 0)
            return;
        m_lists.FragmentTexts.append(m_work.mid(m_fStart, FragmentLength()));
        m_lists.FragmentLangs.append(*m_lang);
        m_lists.FragmentOffsets.append(QString::number(m_fStart));
        m_fStart = m_fEnd;
    }

    const QString& m_work;
    const int m_limit;
    const bool m_digitsEnglish;
    FragmentLists& m_lists;
    const QString* m_lang = &LangR;
    qsizetype m_fStart = 0;
    qsizetype m_fEnd = 0;
    qsizetype m_wStart = -1;
    qsizetype m_i = -1;      // the next character to examine; -1 before the leading skip
    qsizetype m_skipped = 0; // the leading separators passed over so far
    bool m_done = false;
};

namespace {

QString WorkText(const QString& text)
{
    return ReplaceAll(NormalizeLineBreaks(text), QStringLiteral("#"), QStringLiteral(" "));
}

// The reason the dump could not be written; empty when it was. The texts go out in pieces of
// about 64 KiB, so that a long book's dump is never held whole a second time.
QString WriteDumpFile(const QString& path, const QStringList& texts)
{
    QSaveFile file(path);
    // A dump in a folder that only lets the existing file be rewritten is still written.
    file.setDirectWriteFallback(true);
    bool ok = file.open(QIODevice::WriteOnly);
    QByteArray piece;
    const auto drain = [&] {
        ok = ok && file.write(piece) == piece.size();
        piece.clear();
    };
    for (const QString& t : texts) {
        if (!ok)
            break;
        piece += t.toUtf8();
        piece += "\r\n";
        if (piece.size() >= 64 * 1024)
            drain();
    }
    drain();
    if (!ok || !file.commit())
        return file.errorString();
    return QString();
}

} // namespace

void WriteFragmentDump(const QStringList& texts, const QString& dumpFile)
{
    if (dumpFile.isEmpty())
        return;
    QString failure = WriteDumpFile(dumpFile, texts);
    if (failure.isEmpty())
        return;
    QString written = dumpFile;
    if (QDir::isRelativePath(dumpFile)) {
        written = FragmentDumpCachePath(dumpFile);
        QDir().mkpath(QFileInfo(written).path());
        const QString cacheFailure = WriteDumpFile(written, texts);
        if (cacheFailure.isEmpty())
            return;
        failure = QStringLiteral("%1; \"%2\": %3").arg(failure, written, cacheFailure);
    }
    throw VemoError(
        Say("Could not write the fragments file \"%1\": %2", "Не удалось записать файл фрагментов \"%1\": %2")
            .arg(QFileInfo(dumpFile).filePath(), failure));
}

bool StringReadingSource::Read(qsizetype characters, QString& text)
{
    const qsizetype count = std::min(characters, m_region.size() - m_given);
    text.append(QStringView(m_region).sliced(m_given, count));
    m_given += count;
    return m_given < m_region.size();
}

PlainTextSplitter::PlainTextSplitter(const QString& text, int limit, const QString& digitLang,
                                     FragmentLists& lists)
    : m_ownSource(std::make_unique<StringReadingSource>(text, 0)), m_source(*m_ownSource),
      m_splitter(std::make_unique<PlainSplitter>(m_work, limit, digitLang == LangE, lists))
{}

PlainTextSplitter::PlainTextSplitter(ReadingSource& source, int limit, const QString& digitLang,
                                     FragmentLists& lists)
    : m_source(source), m_splitter(std::make_unique<PlainSplitter>(m_work, limit, digitLang == LangE, lists))
{}

PlainTextSplitter::~PlainTextSplitter() = default;

bool PlainTextSplitter::Advance(qsizetype characters)
{
    // One character more than the stretch: the last one examined may look at the next.
    Fill(characters + 1);
    return m_splitter->Advance(characters, m_sourceDone);
}

void PlainTextSplitter::TakeWholeText()
{
    Fill(std::numeric_limits<qsizetype>::max() / 2);
}

void PlainTextSplitter::Fill(qsizetype characters)
{
    while (!m_sourceDone && m_work.size() - m_splitter->Position() < characters) {
        QString piece;
        const qsizetype wanted = characters - (m_work.size() - m_splitter->Position());
        m_sourceDone = !m_source.Read(std::clamp<qsizetype>(wanted, 4096, 1 << 24), piece);
        Take(std::move(piece));
    }
}

// Normalises the text a piece at a time: a CR that ends a piece waits for the next one,
// which may begin with its LF, so that the pieces normalise as the whole text would.
void PlainTextSplitter::Take(QString piece)
{
    if (m_pendingCr)
        piece.prepend(u'\r');
    m_pendingCr = !m_sourceDone && piece.endsWith(u'\r');
    if (m_pendingCr)
        piece.chop(1);
    m_work += WorkText(piece);
}

QString FragmentDumpCachePath(const QString& dumpFile)
{
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    return QDir(cache + QStringLiteral("/vemo")).filePath(QFileInfo(dumpFile).fileName());
}

void FragmentLists::Clear()
{
    FragmentTexts.clear();
    FragmentLangs.clear();
    FragmentOffsets.clear();
}

bool IsSeparator(QChar c)
{
    const char16_t u = c.unicode();
    return u < AsciiSeparators.size() && AsciiSeparators[u];
}

bool IsLeadingSkip(QChar c)
{
    return c != u'-' && IsSeparator(c);
}

QString LanguageOf(const QString& word, const QString& digitLang)
{
    if (word.isEmpty())
        return LangR;
    return LanguageOfChar(word.at(0), digitLang == LangE);
}

void SplitPlainText(const QString& text, int limit, const QString& digitLang, FragmentLists& lists,
                    const QString& dumpFile)
{
    lists.Clear();
    if (text.isEmpty())
        return;
    const QString work = WorkText(text);
    PlainSplitter(work, limit, digitLang == LangE, lists).Run();
    WriteFragmentDump(lists.FragmentTexts, dumpFile);
}

void SplitXmlText(const QString& text, FragmentLists& lists, const QString& dumpFile)
{
    lists.Clear();
    if (text.isEmpty())
        return;
    lists.FragmentTexts.append(WorkText(text));
    lists.FragmentLangs.append(LangR);
    lists.FragmentOffsets.append(QStringLiteral("0"));
    WriteFragmentDump(lists.FragmentTexts, dumpFile);
}

ReadingRegion GetReadingText(const QString& text, int caret)
{
    const qsizetype p = caret;
    if (p >= 0 && p + 1 < text.size())
        return {text.mid(p), caret};
    return {text, 0};
}
