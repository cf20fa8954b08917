#pragma once

#include <QWidget>

class QComboBox;
class QGridLayout;
class QLineEdit;
class QPushButton;
struct MarkupTag;

// The "XML" tab of the text-processing window: buttons that each produce one piece of speech
// markup, with the edit boxes and lists that give the tags their values. The palette only
// builds the text; the window inserts it.
class MarkupPalette : public QWidget
{
    Q_OBJECT

public:
    explicit MarkupPalette(QWidget* parent = nullptr);

    QLineEdit* EditLang;
    QLineEdit* EditVolume;
    QLineEdit* EditAbsSpeed;
    QLineEdit* EditPitch;
    QLineEdit* EditSilence;
    QLineEdit* EditPron;
    QLineEdit* EditBookmark;
    QComboBox* CBoxPartOfSp;
    QComboBox* CBoxContext;

signals:
    // A button was clicked and its markup text is ready to be inserted.
    void MarkupChosen(const QString& markup);

private:
    QLineEdit* MakeEdit(const char* name, const QString& start);
    QComboBox* MakeList(const char* name, const QStringList& entries);
    QPushButton* MakeButton(const MarkupTag& tag);
    void LayOut(QGridLayout* grid);
    void ButtonClick(const MarkupTag& tag);
    QString ValueOf(const MarkupTag& tag, bool* present) const;
    static void TrackEntry(QComboBox* list, const QString& text);
};
