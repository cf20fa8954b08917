#include "main/FormMainUi.h"

#include "main/Accessible.h"
#include "main/Named.h"
#include "main/PictureView.h"
#include "main/RadioGroup.h"
#include "main/RichTextBox.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSplitter>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// Tahoma where it is installed, otherwise the desktop's sans-serif font.
QFont TahomaFont()
{
    QFont font;
    font.setFamilies(
        {QStringLiteral("Tahoma"), QFontDatabase::systemFont(QFontDatabase::GeneralFont).family()});
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QSlider* TrackBar(QWidget* parent, const char* name, int min, int max)
{
    auto* bar = Named(new QSlider(Qt::Horizontal, parent), name);
    bar->setRange(min, max);
    bar->setTickPosition(QSlider::TicksBelow);
    bar->setTickInterval(max - min > 20 ? 10 : 1);
    return bar;
}

QProgressBar* LevelBar(QWidget* parent, const char* name)
{
    auto* bar = Named(new QProgressBar(parent), name);
    bar->setOrientation(Qt::Vertical);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    bar->setFixedWidth(12);
    return bar;
}

struct VoiceControls
{
    QLabel** voicesLabel;
    QComboBox** voices;
    QLabel** rateLabel;
    QSlider** rate;
    QLabel** volumeLabel;
    QSlider** volume;
    QProgressBar** level;
    const char* names[7];
};

QGroupBox* VoiceGroup(QWidget* parent, const char* name, const QString& title, const VoiceControls& c)
{
    auto* group = Named(new QGroupBox(title, parent), name);
    // Without a name of its own a group inside a group is named by the outer one's title.
    group->setAccessibleName(title);
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(4, 2, 4, 2);
    grid->setVerticalSpacing(0);
    // The list's label stands beside it, so that the row keeps the group's height.
    *c.voicesLabel = Named(new QLabel(QStringLiteral("Голос"), group), c.names[0]);
    *c.voices = Named(new QComboBox(group), c.names[1]);
    // Long voice names (engine, variant) scroll in the list instead of widening the window.
    (*c.voices)->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    (*c.voices)->setMinimumContentsLength(8);
    *c.rateLabel = Named(new QLabel(QStringLiteral("Скрость чтения (Speed)"), group), c.names[2]);
    *c.rate = TrackBar(group, c.names[3], -10, 10);
    *c.volumeLabel = Named(new QLabel(QStringLiteral("Громкость (Volume)"), group), c.names[4]);
    *c.volume = TrackBar(group, c.names[5], 0, 100);
    *c.level = LevelBar(group, c.names[6]);
    auto* voiceRow = new QHBoxLayout;
    voiceRow->addWidget(*c.voicesLabel);
    voiceRow->addWidget(*c.voices, 1);
    grid->addLayout(voiceRow, 0, 0);
    grid->addWidget(*c.rateLabel, 1, 0);
    grid->addWidget(*c.rate, 2, 0);
    grid->addWidget(*c.volumeLabel, 3, 0);
    grid->addWidget(*c.volume, 4, 0);
    grid->addWidget(*c.level, 0, 1, 5, 1);
    return group;
}

// Names of their own for the controls whose text would be the group's title or the current
// entry; the labels lead to their lists and track bars. Under AT-SPI a combo box is named by
// its current entry whatever its accessible name, and a screen reader says what it is for from
// the label that leads to it.
void DescribeVoiceControls(FormMainUi& ui)
{
    Describe(ui.cbVoicesRu, QStringLiteral("Голос для русского текста"),
             QStringLiteral("Голос, которым читаются русские слова и знаки"));
    Describe(ui.TBRateRu, QStringLiteral("Скорость чтения, русский голос"),
             QStringLiteral("От -10 (медленнее) до 10 (быстрее), 0 - обычная скорость"));
    Describe(ui.TBVolumeRu, QStringLiteral("Громкость, русский голос"), QStringLiteral("От 0 до 100"));
    Describe(ui.PBVolumeRu, QStringLiteral("Уровень звука, русский голос"),
             QStringLiteral("Громкость звучащего сейчас русского фрагмента"));
    Describe(ui.cbVoicesEng, QStringLiteral("Голос для английского текста"),
             QStringLiteral("Голос, которым читаются английские слова"));
    Describe(ui.TBRateEng, QStringLiteral("Скорость чтения, английский голос"),
             QStringLiteral("От -10 (медленнее) до 10 (быстрее), 0 - обычная скорость"));
    Describe(ui.TBVolumeEng, QStringLiteral("Громкость, английский голос"), QStringLiteral("От 0 до 100"));
    Describe(ui.PBVolumeEng, QStringLiteral("Уровень звука, английский голос"),
             QStringLiteral("Громкость звучащего сейчас английского фрагмента"));
    ui.LVoiceRu->setBuddy(ui.cbVoicesRu);
    ui.LVoiceEng->setBuddy(ui.cbVoicesEng);
    ui.LRateRu->setBuddy(ui.TBRateRu);
    ui.LVolumeRu->setBuddy(ui.TBVolumeRu);
    ui.LRateEng->setBuddy(ui.TBRateEng);
    ui.LVolumeEng->setBuddy(ui.TBVolumeEng);
}

void DescribeButtons(FormMainUi& ui)
{
    Describe(ui.ButtonStart, QStringLiteral("Читать"),
             QStringLiteral("Читает текст вслух от курсора до конца"));
    Describe(ui.BPause, QStringLiteral("Пауза"),
             QStringLiteral("Приостанавливает чтение или продолжает его"));
    Describe(ui.ButtonStop, QStringLiteral("Стоп"), QStringLiteral("Останавливает чтение"));
    Describe(ui.ButtonButtonToFile, QStringLiteral("В файл"),
             QStringLiteral("Озвучивает текст в звуковой файл WAV или MP3"));
    Describe(ui.BStopToFile, QStringLiteral("Остановить запись в файл"),
             QStringLiteral("Прерывает озвучивание в файл; сказанное сохраняется"));
    Describe(ui.ButtonFont, QStringLiteral("Шрифт"), QStringLiteral("Выбор шрифта текста"));
    Describe(ui.ButtonColor, QStringLiteral("Цвет фона"), QStringLiteral("Выбор цвета фона текста"));
    Describe(ui.BProsTxt, QStringLiteral("Обработка текста"),
             QStringLiteral("Открывает окно обработки: убирает переносы, заменяет, вставляет теги"));
    Describe(ui.SButtonGetText, QStringLiteral("Окно для приёма текста"),
             QStringLiteral("Открывает маленькое окно, в которое перетаскивают текст из других программ"));
    Describe(ui.CBoxIsXML, QStringLiteral("С тегами XML"),
             QStringLiteral("Текст содержит речевую разметку XML и читается одним фрагментом"));
    Describe(ui.CBoxPlainText, QStringLiteral("Простой текст"),
             QStringLiteral("Открывать и сохранять файлы как простой текст, без оформления RTF"));
    Describe(ui.CheckBoxImg, QStringLiteral("С картинками"),
             QStringLiteral("Показывать картинку к произносимому английскому слову"));
    Describe(
        ui.CheckBoxVariants, QStringLiteral("Варианты голосов"),
        QStringLiteral("Добавляет в списки голосов варианты голосов espeak-ng: женские, мужские и другие"));
    Describe(ui.RGDigitSay->Item(0), QStringLiteral("Числа читает русский голос"),
             QStringLiteral("Голос для чисел в тексте"));
    Describe(ui.RGDigitSay->Item(1), QStringLiteral("Числа читает английский голос"),
             QStringLiteral("Голос для чисел в тексте"));
    Describe(ui.ButtonDirToSound, QStringLiteral("Папку в звук и видео"),
             QStringLiteral("Озвучивает все текстовые файлы папки и делает из них видео"));
    Describe(ui.ChkBoxAutoStart, QStringLiteral("Запускать автоматически по файлу-флагу"),
             QStringLiteral("Преобразует папку, когда в ней появляется файл Start.Flag"));
}

void DescribeTextAreas(FormMainUi& ui)
{
    Describe(ui.MLog, QStringLiteral("Протокол"), QStringLiteral("Прочитанные фрагменты и сообщения"));
    Describe(ui.MText, QStringLiteral("Текст для чтения"),
             QStringLiteral("Читаемое слово выделяется, текущее предложение - полужирным"));
    Describe(ui.ImageV, QStringLiteral("Картинка к слову"),
             QStringLiteral("Картинка к произносимому английскому слову из словаря картинок"));
}

} // namespace

void FormMainUi::SetupUi(QMainWindow* window)
{
    window->setObjectName(QStringLiteral("FormMain"));
    QFont font = TahomaFont();
    font.setPointSize(8);
    window->setFont(font);
    SetupMenu(window);
    auto* central = new QWidget(window);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(SetupControlGroup(central));
    column->addWidget(SetupLogGroup(central));
    column->addWidget(SetupTextAndPicture(central), 1);
    window->setCentralWidget(central);
    TimerDirToSoundAndAvi = Named(new QTimer(window), "TimerDirToSoundAndAvi");
    TimerDirToSoundAndAvi->setInterval(3000);
    window->resize(997, 777 + MM->sizeHint().height());
    DescribeVoiceControls(*this);
    DescribeButtons(*this);
    DescribeTextAreas(*this);
}

QAction* FormMainUi::AddAction(QMenu* menu, const char* name, const QString& caption, const QString& key)
{
    auto* action = Named(new QAction(caption, menu), name);
    if (!key.isEmpty())
        action->setShortcut(QKeySequence(key));
    menu->addAction(action);
    return action;
}

void FormMainUi::SetupMenu(QMainWindow* window)
{
    MM = Named(window->menuBar(), "MM");
    MenuFiles = Named(MM->addMenu(QStringLiteral("&Файлы (File)")), "MenuFiles");
    FilesOpen =
        AddAction(MenuFiles, "FilesOpen", QStringLiteral("&Открыть файл (Open)"), QStringLiteral("Ctrl+O"));
    FilesSave =
        AddAction(MenuFiles, "FilesSave", QStringLiteral("&Сохранить файл (Save)"), QStringLiteral("Ctrl+S"));
    FilesSaveAs = AddAction(MenuFiles, "FilesSaveAs", QStringLiteral("Сохранить файл &как (Save as)"),
                            QStringLiteral("Ctrl+Z"));
    FilesNew =
        AddAction(MenuFiles, "FilesNew", QStringLiteral("&Новый файл (New)"), QStringLiteral("Ctrl+N"));
    FilesExit = AddAction(MenuFiles, "FilesExit", QStringLiteral("&Выход (Exit)"));
    MenuView = Named(MM->addMenu(QStringLiteral("&Вид (View)")), "MenuView");
    ViewControl = AddAction(MenuView, "ViewControl", QStringLiteral("&Управление"), QStringLiteral("F2"));
    ViewLog = AddAction(MenuView, "ViewLog", QStringLiteral("&Протокол - Log"));
    ViewImg = AddAction(MenuView, "ViewImg", QStringLiteral("&Изображения"), QStringLiteral("F4"));
    MenuControl = Named(MM->addMenu(QStringLiteral("&Контроль (Control)")), "MenuControl");
    ControlTTSSpeechSynthesis =
        AddAction(MenuControl, "ControlTTSSpeechSynthesis", QStringLiteral("&Синтезировать речь (Start)"),
                  QStringLiteral("F5"));
    ControlTTSSpeechSynthesisPause =
        AddAction(MenuControl, "ControlTTSSpeechSynthesisPause",
                  QStringLiteral("Приостановить синтез (Pause)"), QStringLiteral("F6"));
    ControlTTSSpeechSynthesisResume =
        AddAction(MenuControl, "ControlTTSSpeechSynthesisResume", QStringLiteral("&Остановить синтез (Stop)"),
                  QStringLiteral("F7"));
    ControlTTSSpeechSynthesisToFile = AddAction(MenuControl, "ControlTTSSpeechSynthesisToFile",
                                                QStringLiteral("Синтез речи в &файл (To File)"));
    ControlTTSSpeechSynthesisStopToFile =
        AddAction(MenuControl, "ControlTTSSpeechSynthesisStopToFile",
                  QStringLiteral("Остан&овить синтез в файл (Stop To File)"));
    HelpMenu = Named(MM->addAction(QStringLiteral("&Помощь (Help)")), "HelpMenu");
}

QGroupBox* FormMainUi::SetupControlGroup(QWidget* parent)
{
    GroupBoxControl = Named(new QGroupBox(QStringLiteral("Управление (Control)"), parent), "GroupBoxControl");
    GroupBoxControl->setFixedHeight(153);
    auto* row = new QHBoxLayout(GroupBoxControl);
    row->setContentsMargins(4, 2, 4, 2);
    GroupBoxRu = VoiceGroup(
        GroupBoxControl, "GroupBoxRu", QStringLiteral("Русский голос (Rus)"),
        {&LVoiceRu,
         &cbVoicesRu,
         &LRateRu,
         &TBRateRu,
         &LVolumeRu,
         &TBVolumeRu,
         &PBVolumeRu,
         {"LVoiceRu", "cbVoicesRu", "LRateRu", "TBRateRu", "LVolumeRu", "TBVolumeRu", "PBVolumeRu"}});
    GroupBoxEng = VoiceGroup(
        GroupBoxControl, "GroupBoxEng", QStringLiteral("Английский голос (Eng)"),
        {&LVoiceEng,
         &cbVoicesEng,
         &LRateEng,
         &TBRateEng,
         &LVolumeEng,
         &TBVolumeEng,
         &PBVolumeEng,
         {"LVoiceEng", "cbVoicesEng", "LRateEng", "TBRateEng", "LVolumeEng", "TBVolumeEng", "PBVolumeEng"}});
    row->addWidget(GroupBoxRu);
    row->addWidget(GroupBoxEng);
    row->addWidget(SetupButtons(GroupBoxControl), 1);
    return GroupBoxControl;
}

QWidget* FormMainUi::SetupButtons(QWidget* parent)
{
    auto* panel = new QWidget(parent);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(2);
    const auto button = [&](const char* name, const QString& caption, int row, int col, int span = 1) {
        auto* b = Named(new QPushButton(caption, panel), name);
        grid->addWidget(b, row, col, 1, span);
        return b;
    };
    const auto check = [&](const char* name, const QString& caption, int row, int col, int span = 1) {
        auto* c = Named(new QCheckBox(caption, panel), name);
        grid->addWidget(c, row, col, 1, span);
        return c;
    };
    ButtonStart = button("ButtonStart", QStringLiteral("Read - Читать"), 0, 0);
    BPause = button("BPause", QStringLiteral("Pause"), 0, 1);
    ButtonStop = button("ButtonStop", QStringLiteral("Stop"), 0, 2);
    ButtonButtonToFile = button("ButtonButtonToFile", QStringLiteral("To File"), 0, 3);
    BStopToFile = button("BStopToFile", QStringLiteral("Stop To File"), 0, 4);
    ButtonFont = button("ButtonFont", QStringLiteral("Шрифт"), 1, 0);
    ButtonColor = button("ButtonColor", QStringLiteral("Цвет фона"), 1, 1);
    BProsTxt = button("BProsTxt", QStringLiteral("Обр.Текста"), 1, 2);
    BProsTxt->setToolTip(QStringLiteral("Убирает переносы"));
    SButtonGetText = Named(new QToolButton(panel), "SButtonGetText");
    SButtonGetText->setIcon(panel->style()->standardIcon(QStyle::SP_FileDialogContentsView));
    SButtonGetText->setToolTip(QStringLiteral("Окно для приема текста."));
    SButtonGetText->setAutoRaise(true);
    grid->addWidget(SButtonGetText, 1, 3);
    CBoxIsXML = check("CBoxIsXML", QStringLiteral("С тегами XML"), 2, 0);
    CBoxPlainText = check("CBoxPlainText", QStringLiteral("PlainText"), 2, 1);
    CheckBoxImg = check("CheckBoxImg", QStringLiteral("с картинками"), 2, 2);
    CheckBoxVariants = check("CheckBoxVariants", QStringLiteral("Варианты голосов"), 2, 3);
    CheckBoxVariants->setToolTip(
        QStringLiteral("Показывать в списках и варианты голосов espeak-ng (женские и другие)"));
    RGDigitSay = Named(
        new RadioGroup(QStringLiteral("Чит.числа"), {QStringLiteral("Ru"), QStringLiteral("En")}, panel),
        "RGDigitSay");
    RGDigitSay->SetItemIndex(0);
    grid->addWidget(RGDigitSay, 1, 4, 2, 1);
    ButtonDirToSound = button("ButtonDirToSound", QStringLiteral("DirToSoundAndAvi"), 3, 0);
    ChkBoxAutoStart =
        check("ChkBoxAutoStart", QStringLiteral("Запукать авт., если устанвлен файл-флаг"), 3, 1, 4);
    return panel;
}

QGroupBox* FormMainUi::SetupLogGroup(QWidget* parent)
{
    GroupBoxLog = Named(new QGroupBox(QStringLiteral("Log"), parent), "GroupBoxLog");
    GroupBoxLog->setFixedHeight(72);
    auto* layout = new QVBoxLayout(GroupBoxLog);
    layout->setContentsMargins(4, 0, 4, 2);
    MLog = Named(new QPlainTextEdit(GroupBoxLog), "MLog");
    MLog->setPlainText(QStringLiteral("MLog"));
    layout->addWidget(MLog);
    return GroupBoxLog;
}

QSplitter* FormMainUi::SetupTextAndPicture(QWidget* parent)
{
    Splitter1 = Named(new QSplitter(Qt::Vertical, parent), "Splitter1");
    Splitter1->setHandleWidth(4);
    Splitter1->setChildrenCollapsible(false);
    GroupBoxTxt =
        Named(new QGroupBox(QStringLiteral("Текст в речь  - text-to-speech "), Splitter1), "GroupBoxTxt");
    auto* textLayout = new QVBoxLayout(GroupBoxTxt);
    textLayout->setContentsMargins(4, 0, 4, 2);
    MText = Named(new RichTextBox(GroupBoxTxt), "MText");
    QFont textFont = TahomaFont();
    textFont.setPixelSize(15);
    MText->setFont(textFont);
    // Navy on the button-shadow colour, which Fusion's palette calls Dark.
    QPalette palette = MText->palette();
    palette.setColor(QPalette::Base, QApplication::palette().color(QPalette::Dark));
    palette.setColor(QPalette::Text, QColor(0, 0, 0x80));
    MText->setPalette(palette);
    textLayout->addWidget(MText);
    GroupBoxImg = Named(new QGroupBox(QStringLiteral(" Изображение "), Splitter1), "GroupBoxImg");
    auto* imgLayout = new QVBoxLayout(GroupBoxImg);
    imgLayout->setContentsMargins(4, 0, 4, 2);
    PanelImg = Named(new QFrame(GroupBoxImg), "PanelImg");
    auto* panelLayout = new QVBoxLayout(PanelImg);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    ImageV = Named(new PictureView(PanelImg), "ImageV");
    panelLayout->addWidget(ImageV);
    imgLayout->addWidget(PanelImg);
    Splitter1->addWidget(GroupBoxTxt);
    Splitter1->addWidget(GroupBoxImg);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);
    Splitter1->setSizes({777 - 153 - 72 - 201 - 4, 201});
    return Splitter1;
}
