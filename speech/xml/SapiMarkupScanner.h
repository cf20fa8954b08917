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

    Token next();
    // After Text: the characters and, for each, its index in the markup.
    const QString& text() const { return m_text; }
    const QList<int>& positions() const { return m_positions; }
    // After Tag.
    const SapiTag& tag() const { return m_tag; }

private:
    bool startsMarkup(qsizetype at) const;
    Token readMarkup();
    void readText();
    void readCData(qsizetype contentStart);
    void skipTo(const QString& terminator, qsizetype from);
    qsizetype findTagEnd(qsizetype from) const;
    void parseTag(qsizetype from, qsizetype end);
    qsizetype readName(qsizetype at, qsizetype end, QString& name) const;
    qsizetype readAttributeValue(qsizetype at, qsizetype end, QString& value) const;
    void appendCharacter(qsizetype at);

    const QString& m_markup;
    qsizetype m_at = 0;
    QString m_text;
    QList<int> m_positions;
    SapiTag m_tag;
};
