#pragma once

// The editors of one comment ("Megjegyzés": date, short text, the text) and
// one attached document ("Megjegyzés": date, short description, file path)
// over the current row of the comments dialog's record sets.

#include "app/helpers/recordeditor.h"

#include <QString>

class DateField;
class DescriptionEditor;
class QLineEdit;
class QToolButton;

// The stored form of a comment text: every line followed by CR LF.
QString CommentTextToStore(const QString &text);
// The text as the user sees it: the last line's CR LF is not an extra empty line.
QString CommentTextToShow(const QString &stored);

class Tfrm_MegjSzerkeszt : public RecordEditor
{
    Q_OBJECT
public:
    explicit Tfrm_MegjSzerkeszt(zdb::Table *tbl, QWidget *parent = nullptr);

    DateField *datum() const { return m_datum; }
    QLineEdit *rovid() const { return m_rovid; }
    DescriptionEditor *szoveg() const { return m_szoveg; }

protected:
    void loadFields() override;
    void storeFields() override;

private:
    DateField *m_datum;
    QLineEdit *m_rovid;
    DescriptionEditor *m_szoveg;
};

class Tfrm_DoksiSzerkeszt : public RecordEditor
{
    Q_OBJECT
public:
    explicit Tfrm_DoksiSzerkeszt(zdb::Table *tbl, QWidget *parent = nullptr);

    DateField *datum() const { return m_datum; }
    QLineEdit *rovid() const { return m_rovid; }
    QLineEdit *fileban() const { return m_file; }
    QToolButton *browseButton() const { return m_browse; }

    // The browse button: a chosen file's absolute, native path goes into the
    // path field unless it is too long for the column; the focus goes to "OK".
    void browse();

protected:
    void loadFields() override;
    void storeFields() override;
    bool readyToStore() override;

private:
    DateField *m_datum;
    QLineEdit *m_rovid;
    QLineEdit *m_file;
    QToolButton *m_browse;
};

// A new row (linked to the owner by linkKind, dated today, named after it)
// or the current row of the comment / document record set; true when stored.
// With no current row and isNew false nothing happens.
bool EditComment(zdb::Table *tbl, bool isNew, int linkKind, int ownerId, const QString &ownerName);
bool EditDocument(zdb::Table *tbl, bool isNew, int linkKind, int ownerId, const QString &ownerName);
