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

// Where a reading takes its text from: the program's text (every line break CR LF) of the
// region read, handed out a stretch at a time, so that a long text is taken in as far as the
// cut has gone rather than copied whole before the first word.
class ReadingSource
{
public:
    virtual ~ReadingSource() = default;
    // Appends more of the region to text, about characters of it (at least one character
    // while any is left); true while more may be left after them.
    virtual bool Read(qsizetype characters, QString& text) = 0;
    // Where the region starts in the whole text, counting CR LF as two.
    virtual int Base() = 0;
};

// A region held whole in a string.
class StringReadingSource : public ReadingSource
{
public:
    StringReadingSource(const QString& region, int base) : m_region(region), m_base(base) {}
    bool Read(qsizetype characters, QString& text) override;
    int Base() override { return m_base; }

private:
    QString m_region;
    qsizetype m_given = 0;
    int m_base = 0;
};

// The cut of SplitPlainText a stretch at a time, so that a reader can begin with the first
// fragments of a long text while the rest is still being cut: the fragments are appended
// to lists, and once the text is done they are those SplitPlainText gives. The text is taken
// from its source and normalised as the cut reaches it. Writes no dump.
class PlainTextSplitter
{
public:
    // lists (and source) must outlive the splitter; lists are not cleared.
    PlainTextSplitter(const QString& text, int limit, const QString& digitLang, FragmentLists& lists);
    PlainTextSplitter(ReadingSource& source, int limit, const QString& digitLang, FragmentLists& lists);
    ~PlainTextSplitter();
    PlainTextSplitter(const PlainTextSplitter&) = delete;
    PlainTextSplitter& operator=(const PlainTextSplitter&) = delete;

    // Cuts up to characters more characters of the text; true once the whole text is cut.
    bool Advance(qsizetype characters);
    // Takes the rest of the text from the source now (the cut itself goes on by Advance), so
    // that the source's text may change afterwards.
    void TakeWholeText();

private:
    // Takes more text from the source until characters are there past the cut or the source
    // is done.
    void Fill(qsizetype characters);
    void Take(QString piece);

    std::unique_ptr<StringReadingSource> m_ownSource;
    ReadingSource& m_source;
    QString m_work;
    bool m_sourceDone = false;
    bool m_pendingCr = false; // a CR at the end of the text taken, which an LF may follow
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
