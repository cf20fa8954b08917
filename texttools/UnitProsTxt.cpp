#include "texttools/UnitProsTxt.h"

#include "files/VemoError.h"
#include "main/Accessible.h"
#include "text/LineBreaks.h"
#include "texttools/CleanupRules.h"
#include "texttools/DocumentText.h"
#include "texttools/MarkupPalette.h"

#include <QClipboard>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTextEdit>
#include <QVBoxLayout>

TFormPT::TFormPT(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormPT"));
    setWindowTitle(QStringLiteral("Обработка текста. (Processing the text.)"));
    GroupBoxOperations = new QGroupBox(QStringLiteral("Операции (Operations)"), this);
    GroupBoxOperations->setObjectName(QStringLiteral("GroupBoxOperations"));
    PageControl = new QTabWidget(GroupBoxOperations);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    PageControl->addTab(MakeCleanupTab(), QStringLiteral("Удаление и замена"));
    TabXml = new MarkupPalette(PageControl);
    PageControl->addTab(TabXml, QStringLiteral("XML"));
    PageControl->addTab(MakeSettingsTab(), QStringLiteral("Настройки"));
    PageControl->setCurrentIndex(0);
    (new QVBoxLayout(GroupBoxOperations))->addWidget(PageControl);
    connect(TabXml, &MarkupPalette::MarkupChosen, this, &TFormPT::MarkupChosen);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBoxOperations);
    layout->addWidget(MakeTextGroup(), 1);
    layout->addWidget(MakeChoicePanel());
    resize(780, 580);
    FormCreate();
    Describe(PageControl, QStringLiteral("Операции"),
             QStringLiteral("Вкладки: удаление и замена, теги XML, настройки"));
    Describe(ButtonDelTag, QStringLiteral("Удалить символы < и >"),
             QStringLiteral("Удаляет из текста угловые скобки"));
    Describe(ButtonRemovingCarrying, QStringLiteral("Удалить переносы"),
             QStringLiteral("Соединяет слова, разорванные переносом в конце строки"));
    Describe(ButtonReplace, QStringLiteral("Заменить"),
             QStringLiteral("Заменяет в тексте всё, что совпадает с полем «Что заменить», на поле «На»"));
    Describe(EditReplace, QStringLiteral("Что заменить"), QStringLiteral("Текст, который нужно заменить"));
    Describe(EditReplaceOn, QStringLiteral("На"), QStringLiteral("Текст, которым заменяется найденное"));
    Describe(ButtonDelOneVK, QStringLiteral("Удалить одиночные переводы строк"),
             QStringLiteral("Соединяет строки внутри абзацев"));
    Describe(ButtonDelDVK, QStringLiteral("Удалить двойные переводы строк"),
             QStringLiteral("Оставляет один перевод строки там, где их два"));
    Describe(ButtonFont, QStringLiteral("Шрифт текста"),
             QStringLiteral("Выбор шрифта обрабатываемого текста"));
    Describe(ButtonColor, QStringLiteral("Цвет фона текста"),
             QStringLiteral("Выбор цвета фона обрабатываемого текста"));
    Describe(RETxt, QStringLiteral("Обрабатываемый текст"),
             QStringLiteral("Текст из главного окна; он вернётся туда по кнопке «Принять изменения»"));
    Describe(ButtonExit, QStringLiteral("Отказаться от изменений"),
             QStringLiteral("Закрывает окно; текст главного окна остаётся прежним"));
    Describe(ButtonOk, QStringLiteral("Принять изменения"),
             QStringLiteral("Закрывает окно и передаёт обработанный текст в главное окно"));
}

QPushButton* TFormPT::MakeButton(const char* name, const QString& caption, void (TFormPT::*handler)())
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, handler);
    return button;
}

QWidget* TFormPT::MakeCleanupTab()
{
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("TabCleanup"));
    ButtonDelTag = MakeButton("ButtonDelTag", QStringLiteral("Удаление символов <>.( Removing symbol <>)"),
                              &TFormPT::ButtonDelTagClick);
    ButtonRemovingCarrying =
        MakeButton("ButtonRemovingCarrying", QStringLiteral("Удаление переносов. (Removing carrying.)"),
                   &TFormPT::ButtonRemovingCarryingClick);
    ButtonReplace =
        MakeButton("ButtonReplace", QStringLiteral("Замена (replace)"), &TFormPT::ButtonReplaceClick);
    EditReplace = new QLineEdit(tab);
    EditReplace->setObjectName(QStringLiteral("EditReplace"));
    EditReplaceOn = new QLineEdit(tab);
    EditReplaceOn->setObjectName(QStringLiteral("EditReplaceOn"));
    auto* labelOn = new QLabel(QStringLiteral("На (On)"), tab);
    labelOn->setObjectName(QStringLiteral("LabelOn"));
    labelOn->setBuddy(EditReplaceOn);
    ButtonDelOneVK = MakeButton("ButtonDelOneVK", QStringLiteral("Удалить одиночный  #13#10"),
                                &TFormPT::ButtonDelOneVKClick);
    ButtonDelDVK =
        MakeButton("ButtonDelDVK", QStringLiteral("Удалить двойной  #13#10"), &TFormPT::ButtonDelDVKClick);

    auto* grid = new QGridLayout(tab);
    grid->addWidget(ButtonDelTag, 0, 0);
    grid->addWidget(ButtonRemovingCarrying, 0, 1, 1, 3);
    grid->addWidget(ButtonReplace, 1, 0);
    grid->addWidget(EditReplace, 1, 1);
    grid->addWidget(labelOn, 1, 2);
    grid->addWidget(EditReplaceOn, 1, 3);
    grid->addWidget(ButtonDelOneVK, 2, 0);
    grid->addWidget(ButtonDelDVK, 2, 1, 1, 3);
    grid->setColumnStretch(4, 1);
    return tab;
}

QWidget* TFormPT::MakeSettingsTab()
{
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("TabSettings"));
    ButtonFont = MakeButton("ButtonFont", QStringLiteral("Шрифт"), &TFormPT::ButtonFontClick);
    ButtonColor = MakeButton("ButtonColor", QStringLiteral("Цвет фона"), &TFormPT::ButtonColorClick);
    auto* row = new QHBoxLayout(tab);
    row->addWidget(ButtonFont);
    row->addWidget(ButtonColor);
    row->addStretch(1);
    return tab;
}

QGroupBox* TFormPT::MakeTextGroup()
{
    GroupBoxText = new QGroupBox(QStringLiteral("Текст (Text)"), this);
    GroupBoxText->setObjectName(QStringLiteral("GroupBoxText"));
    RETxt = new QTextEdit(GroupBoxText);
    RETxt->setObjectName(QStringLiteral("RETxt"));
    RETxt->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tahoma where it is installed, else the desktop's own sans font, 15 pixels high.
    QFont font;
    font.setFamilies(
        {QStringLiteral("Tahoma"), QFontDatabase::systemFont(QFontDatabase::GeneralFont).family()});
    font.setPixelSize(15);
    RETxt->setFont(font);
    SetBackground(QGuiApplication::palette().color(QPalette::Dark));
    (new QVBoxLayout(GroupBoxText))->addWidget(RETxt);
    return GroupBoxText;
}

QWidget* TFormPT::MakeChoicePanel()
{
    PanelChoice = new QWidget(this);
    PanelChoice->setObjectName(QStringLiteral("PanelChoice"));
    ButtonExit = new QPushButton(QStringLiteral("Отказаться от изменений.(Abandon to change.)"), PanelChoice);
    ButtonExit->setObjectName(QStringLiteral("ButtonExit"));
    ButtonExit->setAutoDefault(false);
    ButtonOk = new QPushButton(QStringLiteral("Принять изменения.(Take change.)"), PanelChoice);
    ButtonOk->setObjectName(QStringLiteral("ButtonOk"));
    ButtonOk->setAutoDefault(false);
    connect(ButtonExit, &QPushButton::clicked, this, &QDialog::reject);
    connect(ButtonOk, &QPushButton::clicked, this, &QDialog::accept);
    auto* row = new QHBoxLayout(PanelChoice);
    row->setContentsMargins(0, 0, 0, 0);
    row->addStretch(1);
    row->addWidget(ButtonExit);
    row->addWidget(ButtonOk);
    return PanelChoice;
}

// The font and colour dialogs start from RETxt's own font and background. QFontDialog has no
// Apply button of its own: one is added to its button box, and it sets RETxt's base font.
void TFormPT::FormCreate()
{
    FontDialog = new QFontDialog(RETxt->font(), this);
    FontDialog->setObjectName(QStringLiteral("FontDialog"));
    FontDialog->setOption(QFontDialog::DontUseNativeDialog);
    if (auto* box = FontDialog->findChild<QDialogButtonBox*>()) {
        QPushButton* apply = box->addButton(QDialogButtonBox::Apply);
        apply->setObjectName(QStringLiteral("FontDialogApply"));
        connect(apply, &QPushButton::clicked, this, &TFormPT::FontDialogApply);
    }
    ColorDialog = new QColorDialog(RETxt->palette().color(QPalette::Base), this);
    ColorDialog->setObjectName(QStringLiteral("ColorDialog"));
    ColorDialog->setOption(QColorDialog::DontUseNativeDialog);
}

void TFormPT::showEvent(QShowEvent* event)
{
    if (!m_placed) {
        m_placed = true;
        if (QScreen* desk = screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(desk->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    QDialog::showEvent(event);
}

void TFormPT::SetPlainTextMode(bool plain)
{
    RETxt->setAcceptRichText(!plain);
}

bool TFormPT::PlainTextMode() const
{
    return !RETxt->acceptRichText();
}

void TFormPT::ApplyRule(const std::function<QString(const QString&)>& rule)
{
    const QString text = DocumentTextToCrLf(RETxt->document()->toRawText());
    // Set through the document: QTextEdit::setPlainText would give the new text the
    // character format at the caret, keeping formatting the rules are meant to drop.
    RETxt->document()->setPlainText(CrLfToDocumentText(rule(text)));
}

void TFormPT::ButtonDelTagClick()
{
    ApplyRule(RemoveAngleBrackets);
}

void TFormPT::ButtonRemovingCarryingClick()
{
    ApplyRule(RemoveHyphenation);
}

void TFormPT::ButtonReplaceClick()
{
    const QString find = EditReplace->text();
    const QString replacement = EditReplaceOn->text();
    ApplyRule([&](const QString& text) { return ReplaceAll(text, find, replacement); });
}

void TFormPT::ButtonDelOneVKClick()
{
    ApplyRule(JoinSingleLineBreaks);
}

void TFormPT::ButtonDelDVKClick()
{
    ApplyRule(CollapseDoubleLineBreaks);
}

void TFormPT::ButtonFontClick()
{
    if (FontDialog->exec() == QDialog::Accepted)
        ApplyFontToWholeText(FontDialog->selectedFont());
}

// The chosen font becomes the character format of the whole present text, which stays
// selected; the base font for text without a format of its own is left to Apply.
void TFormPT::ApplyFontToWholeText(const QFont& font)
{
    RETxt->setFocus();
    RETxt->setUpdatesEnabled(false);
    QTextCursor cursor(RETxt->document());
    cursor.select(QTextCursor::Document);
    QTextCharFormat format;
    format.setFont(font, QTextCharFormat::FontPropertiesAll);
    cursor.mergeCharFormat(format);
    RETxt->setTextCursor(cursor);
    RETxt->setUpdatesEnabled(true);
}

void TFormPT::FontDialogApply()
{
    RETxt->setFont(FontDialog->currentFont());
}

void TFormPT::ButtonColorClick()
{
    if (ColorDialog->exec() == QDialog::Accepted)
        SetBackground(ColorDialog->selectedColor());
}

void TFormPT::SetBackground(const QColor& colour)
{
    QPalette palette = RETxt->palette();
    palette.setColor(QPalette::Base, colour);
    RETxt->setPalette(palette);
}

bool TFormPT::SetClipboardText(const QString& text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    clipboard->setText(text);
    return clipboard->text() == text;
}

void TFormPT::InsertMarkup(const QString& text)
{
    if (!SetClipboardText(text))
        throw VemoError(QStringLiteral("Буфер обмена недоступен: тег \"%1\" не вставлен. "
                                       "(Clipboard unavailable: the tag was not inserted.)")
                            .arg(text));
    RETxt->setFocus();
    RETxt->paste();
}

void TFormPT::MarkupChosen(const QString& markup)
{
    try {
        InsertMarkup(markup);
    } catch (const VemoError& error) {
        QMessageBox::warning(this, windowTitle(), error.Message());
    }
}
