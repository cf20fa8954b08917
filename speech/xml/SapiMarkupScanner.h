#pragma once

#include "speech/xml/SapiTag.h"

#include <QList>
#include <QString>

// Cuts speech markup into text runs and tags, left to right. Text has its entities decoded
// and remembers where each character came from. A '<' that does not begin a well-formed
// tag is text; comments, processing instructions and declarations are passed over. Every
// character is looked at a bounded number of times, so any input is read in linear time.
class SapiMarkupScanner
{
public:
    enum class Token
    {
        End,
        Text,
        Tag,
        Skipped
    };

    explicit SapiMarkupScanner(const QString& markup);

    Token Next();
    // After Text: the characters and, for each, its index in the markup.
    const QString& Text() const { return m_text; }
    const QList<int>& Positions() const { return m_positions; }
    // After Tag.
    const SapiTag& Tag() const { return m_tag; }

private:
    bool StartsMarkup(qsizetype at) const;
    Token ReadMarkup();
    void ReadText();
    void ReadCData(qsizetype contentStart);
    void SkipTo(const QString& terminator, qsizetype from);
    qsizetype FindTagEnd(qsizetype from) const;
    void ParseTag(qsizetype from, qsizetype end);
    qsizetype ReadName(qsizetype at, qsizetype end, QString& name) const;
    qsizetype ReadAttributeValue(qsizetype at, qsizetype end, QString& value) const;
    void AppendCharacter(qsizetype at);

    const QString& m_markup;
    qsizetype m_at = 0;
    QString m_text;
    QList<int> m_positions;
    SapiTag m_tag;
};
