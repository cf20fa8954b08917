#include "texttools/CleanupRules.h"

#include "files/TextLineBreaks.h"
#include "text/LineBreaks.h"

namespace {

const QString CrLf = QStringLiteral("\r\n");
const QString TwoCrLf = QStringLiteral("\r\n\r\n");
const QString CrLfBlank = QStringLiteral("\r\n ");
const QString Blank = QStringLiteral(" ");
const QString Soh = QString(QChar(1));
const QString Stx = QString(QChar(2));

} // namespace

QString RemoveAngleBrackets(const QString& text)
{
    QString result = NormalizeLineBreaks(text);
    result = ReplaceAll(result, QStringLiteral("<"), Blank);
    return ReplaceAll(result, QStringLiteral(">"), Blank);
}

QString RemoveHyphenation(const QString& text)
{
    return ReplaceAll(NormalizeLineBreaks(text), QStringLiteral("-\r\n"), QString());
}

QString JoinSingleLineBreaks(const QString& text)
{
    QString result = NormalizeLineBreaks(text);
    result = ReplaceAll(result, Soh, Blank);
    result = ReplaceAll(result, Stx, Blank);
    // Mark what must survive, flatten the remaining breaks, then put the marked ones back.
    result = ReplaceAll(result, TwoCrLf, Soh);
    result = ReplaceAll(result, CrLfBlank, Stx);
    result = ReplaceAll(result, CrLf, Blank);
    result = ReplaceAll(result, Soh, TwoCrLf);
    return ReplaceAll(result, Stx, CrLfBlank);
}

QString CollapseDoubleLineBreaks(const QString& text)
{
    return ReplaceAll(NormalizeLineBreaks(text), TwoCrLf, CrLf);
}
