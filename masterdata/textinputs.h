#pragma once

// One-line inputs of a record editor tied to text or integer fields of the
// row. Loading fills them; storing writes back only what the user changed,
// so a stored value the input cannot show (a text longer than the field's
// size, a code that is no number) survives an unrelated edit. An emptied
// input stores NULL.

#include <QList>
#include <QString>

class QLineEdit;

namespace zdb {
class RecordSet;
}

class TextInputs
{
public:
    // maxLength is the field's size; integer inputs take digits only.
    void addText(QLineEdit *edit, const QString &field, int maxLength);
    void addInteger(QLineEdit *edit, const QString &field);

    void load(const zdb::RecordSet &rs);
    void store(zdb::RecordSet &rs) const;

private:
    struct Input
    {
        QLineEdit *edit;
        QString field;
        bool integer;
        QString loaded;
    };
    QList<Input> m_inputs;
};
