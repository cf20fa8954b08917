#include "texttools/MarkupPalette.h"

#include "main/Accessible.h"
#include "texttools/MarkupTags.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

MarkupPalette::MarkupPalette(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TabXml"));
    EditLang = MakeEdit("EditLang", QStringLiteral("409"));
    EditLang->setToolTip(QStringLiteral("409 - английский голос, 419 - русский"));
    EditVolume = MakeEdit("EditVolume", QStringLiteral("70"));
    EditAbsSpeed = MakeEdit("EditAbsSpeed", QStringLiteral("5"));
    EditPitch = MakeEdit("EditPitch", QStringLiteral("5"));
    EditSilence = MakeEdit("EditSilence", QStringLiteral("500"));
    EditPron = MakeEdit("EditPron", QString());
    EditBookmark = MakeEdit("EditBookmark", QString());
    CBoxPartOfSp = MakeList("CBoxPartOfSp", {QStringLiteral("Unknown"), QStringLiteral("Noun"),
                                             QStringLiteral("Verb"), QStringLiteral("Modifier"),
                                             QStringLiteral("Function"), QStringLiteral("Interjection")});
    CBoxContext = MakeList(
        "CBoxContext", {QStringLiteral("date_mdy"), QStringLiteral("date_dmy"), QStringLiteral("date_ymd")});
    auto* grid = new QGridLayout(this);
    LayOut(grid);
    Describe(EditLang, QStringLiteral("Язык голоса"),
             QStringLiteral("Для тега Lang: 409 - английский, 419 - русский"));
    Describe(EditVolume, QStringLiteral("Громкость"), QStringLiteral("Для тега Volume: от 0 до 100"));
    Describe(EditAbsSpeed, QStringLiteral("Скорость"), QStringLiteral("Для тегов скорости: от -10 до 10"));
    Describe(EditPitch, QStringLiteral("Высота голоса"),
             QStringLiteral("Для тегов высоты голоса: от -10 до 10"));
    Describe(EditSilence, QStringLiteral("Длительность паузы"),
             QStringLiteral("Для тега Silence: миллисекунды"));
    Describe(EditPron, QStringLiteral("Произношение"), QStringLiteral("Для тега Pron: фонетическая запись"));
    Describe(EditBookmark, QStringLiteral("Имя закладки"), QStringLiteral("Для тега Bookmark"));
    Describe(CBoxPartOfSp, QStringLiteral("Часть речи"), QStringLiteral("Для тега PartOfSp"));
    Describe(CBoxContext, QStringLiteral("Контекст"),
             QStringLiteral("Для тега Context: порядок частей даты"));
}

QLineEdit* MarkupPalette::MakeEdit(const char* name, const QString& start)
{
    auto* edit = new QLineEdit(start, this);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaximumWidth(60);
    return edit;
}

QComboBox* MarkupPalette::MakeList(const char* name, const QStringList& entries)
{
    auto* list = new QComboBox(this);
    list->setObjectName(QString::fromLatin1(name));
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->addItems(entries);
    list->setCurrentIndex(0);
    connect(list->lineEdit(), &QLineEdit::textEdited, list,
            [list](const QString& text) { TrackEntry(list, text); });
    return list;
}

// An edited text selects the entry it equals, and no entry when it equals none; the text the
// user typed stays as it is.
void MarkupPalette::TrackEntry(QComboBox* list, const QString& text)
{
    const int entry = list->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (entry == list->currentIndex())
        return;
    QLineEdit* edit = list->lineEdit();
    const int caret = edit->cursorPosition();
    const QSignalBlocker blocker(list);
    list->setCurrentIndex(entry);
    edit->setText(text);
    edit->setCursorPosition(caret);
}

QPushButton* MarkupPalette::MakeButton(const MarkupTag& tag)
{
    auto* button = new QPushButton(tag.caption, this);
    button->setObjectName(QString::fromLatin1(tag.button));
    button->setToolTip(tag.hint);
    // Named after the text it inserts, with … where the value of its field goes.
    Describe(button, QStringLiteral("Тег ") + BuildMarkup(tag, QStringLiteral("…")),
             tag.hint.isEmpty() ? QStringLiteral("Вставляет тег в текст у курсора") : tag.hint);
    connect(button, &QPushButton::clicked, this, [this, &tag] { ButtonClick(tag); });
    return button;
}

void MarkupPalette::LayOut(QGridLayout* grid)
{
    // Cells of the grid: four rows, three groups of three columns and Spell at the far right.
    struct Cell
    {
        const char* name;
        int row;
        int column;
    };
    static const Cell cells[] = {
        {"ButtonLang", 0, 0},      {"EditLang", 0, 1},           {"ButtonLangEnd", 0, 2},
        {"ButtonVolume", 1, 0},    {"EditVolume", 1, 1},         {"ButtonVolumeEnd", 1, 2},
        {"ButtonAbsSpeed", 2, 0},  {"EditAbsSpeed", 2, 1},       {"ButtonRateEnd", 2, 2},
        {"ButtonSpeed", 3, 0},     {"ButtonAbsSpeedAll", 3, 1},  {"ButtonSpeedAll", 3, 2},
        {"ButtonAbsMiddle", 0, 3}, {"EditPitch", 0, 4},          {"ButtonPitch", 0, 5},
        {"ButtonMiddle", 1, 3},    {"ButtonAbsMiddleAll", 1, 4}, {"ButtonMiddleAll", 1, 5},
        {"ButtonEmph", 2, 3},      {"ButtonEmphEnd", 2, 4},      {"ButtonSilence", 3, 3},
        {"EditSilence", 3, 4},     {"ButtonPron", 0, 6},         {"EditPron", 0, 7},
        {"ButtonPronEnd", 0, 8},   {"ButtonBookmark", 1, 6},     {"EditBookmark", 1, 7},
        {"ButtonPartOfSp", 2, 6},  {"CBoxPartOfSp", 2, 7},       {"ButtonPartOfSpEnd", 2, 8},
        {"ButtonContext", 3, 6},   {"CBoxContext", 3, 7},        {"ButtonContextEnd", 3, 8},
        {"ButtonSpell", 0, 9},     {"ButtonSpellEnd", 1, 9},
    };
    for (const MarkupTag& tag : MarkupTags())
        MakeButton(tag);
    for (const Cell& cell : cells)
        grid->addWidget(findChild<QWidget*>(QString::fromLatin1(cell.name)), cell.row, cell.column);
    grid->setColumnStretch(10, 1);
}

QString MarkupPalette::ValueOf(const MarkupTag& tag, bool* present) const
{
    *present = true;
    if (!tag.source)
        return QString();
    const QString name = QString::fromLatin1(tag.source);
    if (auto* list = findChild<QComboBox*>(name)) {
        *present = list->currentIndex() != -1;
        return list->currentText();
    }
    return findChild<QLineEdit*>(name)->text();
}

void MarkupPalette::ButtonClick(const MarkupTag& tag)
{
    bool present = false;
    const QString value = ValueOf(tag, &present);
    if (present)
        emit MarkupChosen(BuildMarkup(tag, value));
}
