#include "../main/FormMainFixture.h"
#include "folder/UnitFileSelectDir.h"
#include "main/About.h"
#include "main/FormMain.h"
#include "soundfile/UnitFileSelect.h"
#include "texttools/CatPicture.h"
#include "texttools/UnitGetText.h"
#include "texttools/UnitProsTxt.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QLabel>
#include <QTabBar>
#include <QTest>

// What a screen reader can say about each window: every control that takes the keyboard focus
// has an accessible name and description of its own, no two controls of a window share a name,
// and the labels lead to the controls they name.
class TestAccessibleNames : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void controlsHaveNames_data();
    void controlsHaveNames();
    void labelsLeadToControls_data();
    void labelsLeadToControls();
    void voiceListsLabelled_data();
    void voiceListsLabelled();
    void picturesHaveNames_data();
    void picturesHaveNames();

private:
    QWidget* Window(const QString& name) const;

    FormMainFixture m_fixture;
    TFormMain* m_main = nullptr;
    std::vector<std::unique_ptr<QWidget>> m_dialogs;
};

namespace {

// The toolkit's own dialogs (file, font, colour) and the parts of a tab bar (its scroll
// buttons) are named by the toolkit.
bool NamedByToolkit(const QWidget* widget)
{
    if (qobject_cast<const QTabBar*>(widget->parentWidget()))
        return true;
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        if (qobject_cast<const QFileDialog*>(w) || qobject_cast<const QFontDialog*>(w) ||
            qobject_cast<const QColorDialog*>(w))
            return true;
    }
    return false;
}

// The controls of the window a user reaches with the keyboard (not those of the windows it
// owns, nor hidden ones); a part whose control passes its focus on to it (the line edit inside
// a combo box) is the control's own business.
QList<QWidget*> FocusableControls(QWidget* window)
{
    QList<QWidget*> controls;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (widget->focusPolicy() == Qt::NoFocus || widget->window() != window ||
            !widget->isVisibleTo(window) || NamedByToolkit(widget))
            continue;
        if (widget->parentWidget() && widget->parentWidget()->focusProxy() == widget)
            continue;
        controls << widget;
    }
    return controls;
}

QString Describe(const QWidget* widget)
{
    return QStringLiteral("%1 (%2)").arg(widget->objectName(), widget->metaObject()->className());
}

} // namespace

void TestAccessibleNames::initTestCase()
{
    m_main = &m_fixture.Open();
    m_dialogs.emplace_back(std::make_unique<TFormFileSelect>(m_main));
    m_dialogs.emplace_back(std::make_unique<TFormGetText>(m_main));
    m_dialogs.emplace_back(std::make_unique<TAboutBox>(m_main));
    m_dialogs.emplace_back(std::make_unique<TFormPT>(m_main));
    m_dialogs.emplace_back(std::make_unique<TFormFileSelectDir>(m_main));
}

void TestAccessibleNames::cleanupTestCase()
{
    m_dialogs.clear();
    m_fixture.Close();
}

QWidget* TestAccessibleNames::Window(const QString& name) const
{
    if (name == QLatin1String("TFormMain"))
        return m_main;
    for (const auto& dialog : m_dialogs) {
        if (QString::fromLatin1(dialog->metaObject()->className()) == name)
            return dialog.get();
    }
    return nullptr;
}

void TestAccessibleNames::controlsHaveNames_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("takesFocus"); // false: only a picture, no control takes the focus
    for (const char* window : {"TFormMain", "TFormFileSelect", "TFormFileSelectDir", "TFormPT", "TAboutBox"})
        QTest::newRow(window) << QString::fromLatin1(window) << true;
    QTest::newRow("TFormGetText") << "TFormGetText" << false;
}

void TestAccessibleNames::controlsHaveNames()
{
    QFETCH(QString, window);
    QFETCH(bool, takesFocus);
    QWidget* form = Window(window);
    QVERIFY(form);
    QStringList missing;
    QMap<QString, QString> owners; // accessible name -> the control that has it
    const QList<QWidget*> controls = FocusableControls(form);
    QCOMPARE(!controls.isEmpty(), takesFocus);
    for (QWidget* control : controls) {
        const QString name = control->accessibleName();
        if (name.trimmed().isEmpty() || control->accessibleDescription().trimmed().isEmpty()) {
            missing << Describe(control);
            continue;
        }
        if (owners.contains(name))
            missing
                << QStringLiteral("%1 and %2 share the name «%3»").arg(owners[name], Describe(control), name);
        owners.insert(name, Describe(control));
    }
    QVERIFY2(missing.isEmpty(),
             qPrintable(QStringLiteral("without name or description: ") + missing.join(", ")));
}

void TestAccessibleNames::labelsLeadToControls_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("label"); // part of the text of the label that leads to it
    QTest::newRow("Russian voice") << "TFormMain"
                                   << "cbVoicesRu"
                                   << "Голос";
    QTest::newRow("English voice") << "TFormMain"
                                   << "cbVoicesEng"
                                   << "Голос";
    QTest::newRow("Russian speed") << "TFormMain"
                                   << "TBRateRu"
                                   << "Скрость чтения";
    QTest::newRow("Russian volume") << "TFormMain"
                                    << "TBVolumeRu"
                                    << "Громкость";
    QTest::newRow("English speed") << "TFormMain"
                                   << "TBRateEng"
                                   << "Скрость чтения";
    QTest::newRow("English volume") << "TFormMain"
                                    << "TBVolumeEng"
                                    << "Громкость";
    QTest::newRow("sound file name") << "TFormFileSelect"
                                     << "EditNameFile"
                                     << "Имя аудио-файла";
    QTest::newRow("part length") << "TFormFileSelect"
                                 << "EditMaxSimvolInFragm"
                                 << "Символов текста";
    QTest::newRow("MP3 quality") << "TFormFileSelect"
                                 << "CBoxQuality"
                                 << "алгоритма качества";
    QTest::newRow("VBR quality") << "TFormFileSelectDir"
                                 << "TkBarVBRQuality"
                                 << "(VBR)";
    QTest::newRow("folder name") << "TFormFileSelectDir"
                                 << "EditNameFileDir"
                                 << "Имя папки";
    QTest::newRow("converter folder") << "TFormFileSelectDir"
                                      << "Editffmpeg"
                                      << "ffmpeg";
    QTest::newRow("cover") << "TFormFileSelectDir"
                           << "EditCover"
                           << "Обложка книги";
    QTest::newRow("converter options") << "TFormFileSelectDir"
                                       << "EditCmd"
                                       << "опции конвертирования";
    QTest::newRow("replacement") << "TFormPT"
                                 << "EditReplaceOn"
                                 << "На (On)";
}

void TestAccessibleNames::labelsLeadToControls()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QString, label);
    QWidget* form = Window(window);
    QVERIFY(form);
    auto* controlWidget = form->findChild<QWidget*>(control);
    QVERIFY(controlWidget);
    QStringList leading;
    for (const QLabel* candidate : form->findChildren<QLabel*>()) {
        if (candidate->buddy() == controlWidget)
            leading << candidate->text();
    }
    QVERIFY2(leading.size() == 1 && leading.first().contains(label), qPrintable(leading.join(" | ")));
}

void TestAccessibleNames::voiceListsLabelled_data()
{
    QTest::addColumn<QString>("list");
    QTest::newRow("Russian") << "cbVoicesRu";
    QTest::newRow("English") << "cbVoicesEng";
}

// On Linux the toolkit names a combo box by its current entry (a voice's name), so what the
// list is for reaches a screen reader through the label that the list says labels it.
void TestAccessibleNames::voiceListsLabelled()
{
    QFETCH(QString, list);
    auto* combo = m_main->findChild<QWidget*>(list);
    QVERIFY(combo);
    QAccessibleInterface* access = QAccessible::queryAccessibleInterface(combo);
    QVERIFY(access);
    QStringList labels;
    for (const auto& [other, relation] : access->relations(QAccessible::Label))
        labels << other->text(QAccessible::Name);
    // The voice group's title (which language) comes with it.
    const QString group = list == u"cbVoicesRu" ? QStringLiteral("Русский голос (Rus)")
                                                : QStringLiteral("Английский голос (Eng)");
    QCOMPARE(labels, (QStringList{QStringLiteral("Голос"), group}));
}

void TestAccessibleNames::picturesHaveNames_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("picture");
    QTest::newRow("picture button") << "TFormMain"
                                    << "SButtonGetText";
    QTest::newRow("word picture") << "TFormMain"
                                  << "ImageV";
    QTest::newRow("drop window picture") << "TFormGetText"
                                         << "Image";
    QTest::newRow("about icon") << "TAboutBox"
                                << "ProgramIcon";
}

// Pictures have no text a screen reader could fall back on.
void TestAccessibleNames::picturesHaveNames()
{
    QFETCH(QString, window);
    QFETCH(QString, picture);
    auto* form = Window(window);
    QVERIFY(form);
    QWidget* widget = form->findChild<QWidget*>(picture);
    if (auto* dropWindow = qobject_cast<TFormGetText*>(form); dropWindow && picture == "Image")
        widget = dropWindow->Image;
    QVERIFY2(widget, qPrintable(picture));
    QVERIFY2(!widget->accessibleName().isEmpty(), qPrintable(picture));
}

QTEST_MAIN(TestAccessibleNames)
#include "tst_accessiblenames.moc"
