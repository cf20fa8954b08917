#include "documents/TextDocumentIO.h"

#include "files/MessageLanguage.h"
#include "files/UnitFindFilesSL.h"
#include "files/VemoError.h"
#include "text/rtf/Rtf.h"

#include <QFile>
#include <QSaveFile>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

namespace {

// The characters a paragraph break or line break may be in QTextDocument's raw text, and
// the frame marks that stand at the edges of tables.
constexpr char16_t ParagraphSeparator = 0x2029;
constexpr char16_t LineSeparator = 0x2028;
constexpr char16_t BeginningOfFrame = 0xFDD0;
constexpr char16_t EndOfFrame = 0xFDD1;
constexpr char16_t ObjectReplacement = 0xFFFC;

QString LoadError(const QString& source, const QString& reason)
{
    return QStringLiteral("Failed to Load Stream: %1 (%2)").arg(source, reason);
}

QString SaveError(const QString& path, const QString& reason)
{
    return QStringLiteral("Failed to Save Stream: %1 (%2)").arg(path, reason);
}

void CheckLength(qsizetype length, qsizetype maxCharacters, const QString& source)
{
    if (maxCharacters >= 0 && length > maxCharacters)
        throw VemoError(LoadError(source, Say("a text of %1 characters is longer than the allowed %2",
                                              "текст длиной %1 знаков больше допустимых %2")
                                              .arg(length)
                                              .arg(maxCharacters)));
}

// A plain text as the document holds it: every CR LF, lone CR and lone LF one paragraph break.
QString AsDocumentText(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

// Moves a whole parsed document into the target in one step that cannot fail half-way.
void ReplaceContent(QTextDocument& target, const QTextDocument& source)
{
    const bool undo = target.isUndoRedoEnabled();
    target.setUndoRedoEnabled(false);
    target.clear();
    QTextCursor(&target).insertFragment(QTextDocumentFragment(&source));
    target.setUndoRedoEnabled(undo);
}

// A book read into a document of its own, which then replaces the target's content: as it
// is in rich-text mode, as its plain text in plain-text mode.
QString BookToDocument(const QByteArray& bytes, BookFormat format, bool plainTextMode,
                       QTextDocument& document, const QString& source, qsizetype maxCharacters)
{
    if (!plainTextMode && document.isEmpty()) {
        // Nothing to keep: the reader fills the document itself, which saves a copy.
        const bool undo = document.isUndoRedoEnabled();
        document.setUndoRedoEnabled(false);
        try {
            const QString title = ReadBook(bytes, format, source, document, maxCharacters);
            document.setUndoRedoEnabled(undo);
            return title;
        } catch (...) {
            document.clear();
            document.setUndoRedoEnabled(undo);
            throw;
        }
    }
    QTextDocument parsed;
    parsed.setUndoRedoEnabled(false);
    parsed.setDefaultFont(document.defaultFont());
    const QString title = ReadBook(bytes, format, source, parsed, maxCharacters);
    if (plainTextMode) {
        QString text = parsed.toRawText();
        text.replace(ParagraphSeparator, u'\n').replace(LineSeparator, u'\n');
        document.setPlainText(text);
    } else {
        ReplaceContent(document, parsed);
    }
    return title;
}

} // namespace

DocumentEncoding BytesToDocument(const QByteArray& bytes, bool plainTextMode, QTextDocument& document,
                                 const QString& source, qsizetype maxCharacters)
{
    if (!plainTextMode && IsRtf(bytes)) {
        if (document.isEmpty()) {
            // Nothing to keep: the reader fills the document itself, which saves a copy.
            ReadRtf(bytes, document);
            try {
                CheckLength(document.characterCount() - 1, maxCharacters, source);
            } catch (const VemoError&) {
                document.clear();
                throw;
            }
            return {};
        }
        QTextDocument parsed;
        parsed.setDefaultFont(document.defaultFont());
        ReadRtf(bytes, parsed);
        CheckLength(parsed.characterCount() - 1, maxCharacters, source);
        ReplaceContent(document, parsed);
        return {};
    }
    const DecodedText decoded = DecodeTextBytes(bytes);
    const QString text = AsDocumentText(decoded.text);
    CheckLength(text.size(), maxCharacters, source);
    document.setPlainText(text);
    return {decoded.encoding, decoded.hadBom, decoded.replacedBytes};
}

QString DocumentPlainText(const QTextDocument& document)
{
    const QString raw = document.toRawText();
    QString text;
    text.reserve(raw.size() + raw.size() / 16);
    for (const QChar c : raw) {
        switch (c.unicode()) {
        case ParagraphSeparator:
        case LineSeparator:
        case u'\n':
            text += QStringLiteral("\r\n");
            break;
        case BeginningOfFrame:
        case EndOfFrame:
        case ObjectReplacement:
            break;
        default:
            text += c;
        }
    }
    return text;
}

DocumentBytes DocumentToBytes(const QTextDocument& document, bool plainTextMode, DocumentEncoding encoding)
{
    if (!plainTextMode)
        return {WriteRtf(document), encoding};
    const QString text = DocumentPlainText(document);
    if (std::optional<QByteArray> bytes = EncodeText(text, encoding.encoding, encoding.withBom))
        return {std::move(*bytes), encoding};
    // Windows-1251 cannot hold every character: the file goes over to UTF-8 rather than
    // losing them.
    const DocumentEncoding utf8;
    return {*EncodeText(text, utf8.encoding, utf8.withBom), utf8};
}

DocumentEncoding LoadDocument(const QString& path, bool plainTextMode, QTextDocument& document,
                              qsizetype maxCharacters, LoadedFormat* format)
{
    const QByteArray bytes = ReadFileBytes(path);
    const BookFormat found = DetectBookFormat(bytes, path);
    if (format)
        *format = {found, QString()};
    if (IsBook(found)) {
        const QString title = BookToDocument(bytes, found, plainTextMode, document, path, maxCharacters);
        if (format)
            format->title = title;
        return {};
    }
    const DocumentEncoding encoding = BytesToDocument(bytes, plainTextMode, document, path, maxCharacters);
    if (encoding.replacedBytes > 0)
        LogErr(ReplacedBytesMessage(path, encoding.replacedBytes));
    return encoding;
}

DocumentEncoding SaveDocument(const QString& path, bool plainTextMode, const QTextDocument& document,
                              DocumentEncoding encoding)
{
    const DocumentBytes out = DocumentToBytes(document, plainTextMode, encoding);
    const QString failure = ReplaceFileContents(path, out.bytes);
    if (!failure.isEmpty())
        throw VemoError(SaveError(path, failure));
    return out.encoding;
}
