#pragma once

#include <QString>

// Test texts written readably: ↵ stands for CR LF, ␊ for a lone LF, ␍ for a lone CR,
// ¹ for SOH and ² for STX.
inline QString T(const char* readable)
{
    QString text = QString::fromUtf8(readable);
    text.replace(QStringLiteral("↵"), QStringLiteral("\r\n"));
    text.replace(QStringLiteral("␊"), QStringLiteral("\n"));
    text.replace(QStringLiteral("␍"), QStringLiteral("\r"));
    text.replace(QStringLiteral("¹"), QString(QChar(1)));
    text.replace(QStringLiteral("²"), QString(QChar(2)));
    return text;
}
