#pragma once

#include <QList>
#include <QString>
#include <QTextBlock>
#include <QTextDocument>

// A document's text as runs of equal visible formatting, with every property resolved against
// the document's default font, so that two documents compare by what they show.
inline QStringList RtfRuns(const QTextDocument& doc)
{
    QStringList runs;
    QString last;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        runs.append(
            QStringLiteral("¶ align=%1")
                .arg(int(block.blockFormat().alignment() & Qt::AlignHorizontal_Mask & ~Qt::AlignAbsolute)));
        last.clear();
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            const QFont font = f.font().resolve(doc.defaultFont());
            auto brush = [&](int property) {
                return f.hasProperty(property) ? f.brushProperty(property).color().name()
                                               : QStringLiteral("none");
            };
            const QString props =
                QStringLiteral("%1 %2pt b%3 i%4 u%5 s%6 fg%7 bg%8 v%9")
                    .arg(font.family())
                    .arg(font.pointSizeF())
                    .arg(font.bold())
                    .arg(font.italic())
                    .arg(int(f.underlineStyle()))
                    .arg(font.strikeOut())
                    .arg(brush(QTextFormat::ForegroundBrush), brush(QTextFormat::BackgroundBrush))
                    .arg(int(f.verticalAlignment()));
            if (props == last)
                runs.last().append(it.fragment().text());
            else
                runs.append(props + QStringLiteral(" | ") + it.fragment().text());
            last = props;
        }
    }
    return runs;
}
