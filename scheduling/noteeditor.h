#pragma once

// The note editor "Jegyzet": short title, category (always lower case),
// date and the text in a line-numbered editor, which can be loaded from a
// text file, saved to one and printed. Files and the printer never touch the
// database; only "OK" stores the note.

#include "app/helpers/recordeditor.h"

#include <QStringList>

class DateField;
class DescriptionEditor;
class QAction;
class QComboBox;
class QLineEdit;
class QToolBar;

// The filter of the note file dialogs.
QString NoteFileFilter();

class Tfrm_Jegyzet : public RecordEditor
{
    Q_OBJECT
public:
    Tfrm_Jegyzet(zdb::Table *notes, const QStringList &categories, QWidget *parent = nullptr);

    QLineEdit *shortEdit() const { return m_rovid; }
    QComboBox *categoryBox() const { return m_category; }
    DateField *dateField() const { return m_date; }
    DescriptionEditor *textEditor() const { return m_text; }

    // The commands (the actions run these).
    void loadFromFile();
    void saveToFile();
    void printText();

    QAction *aMegnyit = nullptr;
    QAction *aMent = nullptr;
    QAction *aNyomtat = nullptr;
    QAction *aElfogad = nullptr;
    QAction *aBezar = nullptr;

private:
    QAction *addCommand(const QString &objectName, const QString &caption, const QKeySequence &shortcut,
                        const QString &iconName, std::function<void()> run);

    QToolBar *m_toolBar = nullptr;
    QLineEdit *m_rovid = nullptr;
    QComboBox *m_category = nullptr;
    DateField *m_date = nullptr;
    DescriptionEditor *m_text = nullptr;
};

// Opens the editor on a new note or on the current row of `notes`. The
// category of the saved note when it was not listed yet; empty when it was,
// when it is empty or when the user cancelled.
QString EditNote(zdb::Table *notes, bool isNew);
