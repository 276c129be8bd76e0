#include "masterdata/textinputs.h"

#include "db/recordset.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>

void TextInputs::addText(QLineEdit *edit, const QString &field, int maxLength)
{
    edit->setMaxLength(maxLength);
    m_inputs.append({edit, field, false, QString()});
}

void TextInputs::addInteger(QLineEdit *edit, const QString &field)
{
    edit->setMaxLength(9);
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,9}")), edit));
    m_inputs.append({edit, field, true, QString()});
}

void TextInputs::load(const zdb::RecordSet &rs)
{
    for (Input &in : m_inputs) {
        in.edit->setText(rs.text(in.field));
        in.edit->setCursorPosition(0);
        in.loaded = in.edit->text();
    }
}

void TextInputs::store(zdb::RecordSet &rs) const
{
    for (const Input &in : m_inputs) {
        const QString text = in.edit->text();
        if (text == in.loaded)
            continue;
        if (text.isEmpty())
            rs.setValue(in.field, QVariant());
        else
            rs.setValue(in.field, in.integer ? QVariant(text.toInt()) : QVariant(text));
    }
}
