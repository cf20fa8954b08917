#include "texttools/MarkupTags.h"

namespace {

std::vector<MarkupTag> MakeTags()
{
    const QString q = QStringLiteral("\"");
    const QString open = q + QStringLiteral(">");
    const QString empty = q + QStringLiteral("/>");
    return {
        {"ButtonLang", "Lang", "<voice required=\"Language=", open, "EditLang", {}},
        {"ButtonLangEnd", "</lang>", "</lang>", {}, nullptr, {}},
        {"ButtonVolume", "Volume", "<volume level=\"", open, "EditVolume", {}},
        {"ButtonVolumeEnd", "</volume>", "</volume>", {}, nullptr, {}},
        {"ButtonAbsSpeed", "AbsSpeed", "<rate absspeed=\"", open, "EditAbsSpeed",
         "Скорость диктовки - абсолютное значение от -10 до 10"},
        {"ButtonRateEnd", "</rate>", "</rate>", {}, nullptr, {}},
        {"ButtonSpeed", "Speed", "<rate speed=\"", open, "EditAbsSpeed", {}},
        {"ButtonAbsSpeedAll", "A..=\"\"/>", "<rate absspeed=\"", empty, "EditAbsSpeed",
         "Абсолютная скорость диктовки - открытый тэг."},
        {"ButtonSpeedAll", "S..=\"\"/>", "<rate speed=\"", empty, "EditAbsSpeed", {}},
        {"ButtonAbsMiddle", "AbsMiddle", "<pitch absmiddle=\"", open, "EditPitch",
         "основной тон ( речевого сигнала ), высота голоса , абс. значения"},
        {"ButtonPitch", "</pitch>", "</pitch>", {}, nullptr, {}},
        {"ButtonMiddle", "Middle", "<pitch middle=\"", open, "EditPitch", {}},
        {"ButtonAbsMiddleAll", "AM..=\"\"/>", "<pitch absmiddle=\"", empty, "EditPitch", {}},
        {"ButtonMiddleAll", "MA..=\"\"/>", "<pitch middle=\"", empty, "EditPitch", {}},
        {"ButtonEmph", "<emph>", "<emph>", {}, nullptr, "делать особое ударение"},
        {"ButtonEmphEnd", "</emph>!", "</emph>", {}, nullptr, {}},
        {"ButtonSilence", "Пауза Silence", "<silence msec=\"", empty, "EditSilence", {}},
        {"ButtonPron", "Pron", "<pron sym=\"", open, "EditPron", {}},
        {"ButtonPronEnd", "</pron>", "</pron>", {}, nullptr, {}},
        {"ButtonBookmark", "Bookmark", "<bookmark mark=\"", empty, "EditBookmark", {}},
        {"ButtonPartOfSp", "PartOfSp", "<partofsp part=\"", open, "CBoxPartOfSp",
         "заставляет ГОЛОС произносить слово(а), как ту часть речи, которую вы выберите."},
        {"ButtonPartOfSpEnd", "</p..>", "</partofsp>", {}, nullptr, {}},
        {"ButtonContext", "Context", "<context id=\"", open, "CBoxContext",
         "Обеспечивает голос специальной информацией, как правильно итерпретировать некоторые "
         "элементы, например даты"},
        {"ButtonContextEnd", "</c..>", "</context>", {}, nullptr, "</context>"},
        {"ButtonSpell", "Spell", "<spell>", {}, nullptr, {}},
        {"ButtonSpellEnd", "</spell>", "</spell>", {}, nullptr, {}},
    };
}

} // namespace

const std::vector<MarkupTag>& MarkupTags()
{
    static const std::vector<MarkupTag> tags = MakeTags();
    return tags;
}

QString TrimMarkupValue(const QString& value)
{
    qsizetype first = 0;
    qsizetype last = value.size();
    while (first < last && value.at(first).unicode() <= 32)
        ++first;
    while (last > first && value.at(last - 1).unicode() <= 32)
        --last;
    return value.mid(first, last - first);
}

QString BuildMarkup(const MarkupTag& tag, const QString& value)
{
    if (!tag.source)
        return tag.opening;
    return tag.opening + TrimMarkupValue(value) + tag.closing;
}
