#pragma once

// Ties the controls of a record editor to the fields of its row. The length
// limit of a text control is the field's size; multi-line texts are stored
// with CR LF line ends and shown with plain line feeds; integer inputs take
// digits only; dates go through a DateField. Storing writes only what the
// user changed, so a stored value the control cannot show as it is (a text
// longer than the field's size, a code that is no number, a lower-case
// article number) stays exactly as it was. An emptied text stores an empty
// text, or NULL where the editor asks for it; an emptied number NULL.

#include <QList>
#include <QString>
#include <QVariant>

class DateField;
class DescriptionEditor;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace zdb {
class RecordSet;
}

class FieldBinder
{
public:
    // The record set gives the fields' sizes; it is read when binding.
    explicit FieldBinder(const zdb::RecordSet *recordSet = nullptr) : m_recordSet(recordSet) {}
    void setRecordSet(const zdb::RecordSet *recordSet) { m_recordSet = recordSet; }

    // For the bindings made after it: an emptied text stores NULL.
    void setEmptyStoresNull(bool on) { m_emptyNull = on; }

    enum TextCase { AsTyped, UpperCase };
    void text(QLineEdit *edit, const QString &field, TextCase textCase = AsTyped);
    // The line of an editable combo box.
    void text(QComboBox *combo, const QString &field);
    void integer(QLineEdit *edit, const QString &field);
    void memo(DescriptionEditor *edit, const QString &field);
    void memo(QPlainTextEdit *edit, const QString &field);
    // An empty date field leaves the row's date alone.
    void date(DateField *edit, const QString &field);

    void load(const zdb::RecordSet &rs);
    void store(zdb::RecordSet &rs) const;

    // The size of a text field of the record set; 0 when it has none.
    int sizeOf(const QString &field) const;

    // A text as stored, from a multi-line control's text: CR LF line ends,
    // cut to `size` characters (0: no limit) without a CR LF cut in half.
    static QString storedMemo(const QString &shown, int size);
    // A stored multi-line text as a control shows it: line feeds only.
    static QString shownMemo(const QString &stored);

private:
    enum class Kind { Text, Combo, Integer, Memo, PlainMemo, Date };
    struct Binding
    {
        Kind kind;
        QWidget *widget;
        QString field;
        TextCase textCase = AsTyped;
        int size = 0;
        bool emptyNull = false;
        QString loaded;   // what the control showed after loading
    };
    QString shown(const Binding &b) const;
    void add(Kind kind, QWidget *widget, const QString &field, int size, TextCase textCase = AsTyped);
    QList<Binding> m_bindings;
    const zdb::RecordSet *m_recordSet;
    bool m_emptyNull = false;
};
