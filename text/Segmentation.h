#pragma once

#include <QString>
#include <QStringList>
#include <memory>

// The three parallel fragment lists that every speaking run works from: entry k of each
// describes fragment k in text order.
struct FragmentLists
{
    QStringList FragmentTexts;
    QStringList FragmentLangs;   // "R" or "E"
    QStringList FragmentOffsets; // decimal start position in the text that was split

    void Clear();
    qsizetype Count() const { return FragmentTexts.size(); }
};

constexpr int FragmentLimit = 1000;
inline const QString FragmentDumpFileName = QStringLiteral("tempTex.txt");

// Where a relative dump goes when the current folder cannot take it: the user's cache
// folder, $XDG_CACHE_HOME/vemo/ (default ~/.cache/vemo/).
QString FragmentDumpCachePath(const QString& dumpFile = FragmentDumpFileName);

bool IsSeparator(QChar c);   // SeparatorSet
bool IsLeadingSkip(QChar c); // LeadingSkipSet: the separators without the hyphen-minus

// "E" for an ASCII Latin first letter, digitLang for an ASCII digit, "R" for anything else.
QString LanguageOf(const QString& word, const QString& digitLang);

// Cut text into language fragments (lists cleared first), then write the fragment dump
// dumpFile (UTF-8, CR LF after each entry) when the text is not empty. An empty dumpFile
// writes none. A relative dumpFile that cannot be written goes to FragmentDumpCachePath; a
// dump that cannot be written there either throws VemoError after the lists are filled.
void SplitPlainText(const QString& text, int limit, const QString& digitLang, FragmentLists& lists,
                    const QString& dumpFile = FragmentDumpFileName);
// Writes the fragment dump dumpFile as SplitPlainText does (see there); an empty dumpFile
// writes none.
void WriteFragmentDump(const QStringList& texts, const QString& dumpFile = FragmentDumpFileName);

class PlainSplitter;

// The cut of SplitPlainText a stretch at a time, so that a reader can begin with the first
// fragments of a long text while the rest is still being cut: the fragments are appended
// to lists, and once the text is done they are those SplitPlainText gives. Writes no dump.
class PlainTextSplitter
{
public:
    // lists must outlive the splitter and are not cleared.
    PlainTextSplitter(const QString& text, int limit, const QString& digitLang, FragmentLists& lists);
    ~PlainTextSplitter();
    PlainTextSplitter(const PlainTextSplitter&) = delete;
    PlainTextSplitter& operator=(const PlainTextSplitter&) = delete;

    // Cuts up to characters more characters of the text; true once the whole text is cut.
    bool Advance(qsizetype characters);

private:
    QString m_work;
    std::unique_ptr<PlainSplitter> m_splitter;
};

// The whole (normalised) text as one Russian fragment at 0, then the dump as above.
void SplitXmlText(const QString& text, FragmentLists& lists, const QString& dumpFile = FragmentDumpFileName);

// The region a reading run starts from, given the text and the caret (the selection start).
struct ReadingRegion
{
    QString text;
    int start = 0;
};
ReadingRegion GetReadingText(const QString& text, int caret);
