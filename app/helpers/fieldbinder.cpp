#include "app/helpers/fieldbinder.h"

#include "app/helpers/datefield.h"
#include "app/helpers/descriptioneditor.h"

#include "db/recordset.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpressionValidator>

namespace {

constexpr int kIntegerDigits = 9;

} // namespace

void FieldBinder::add(Kind kind, QWidget *widget, const QString &field, int size, TextCase textCase)
{
    Binding b{kind, widget, field, textCase, size, m_emptyNull, {}};
    m_bindings.append(b);
}

int FieldBinder::sizeOf(const QString &field) const
{
    if (!m_recordSet)
        return 0;
    const int index = m_recordSet->fieldIndex(field);
    if (index < 0)
        return 0;
    const zdb::FieldDef &def = m_recordSet->field(index);
    return def.kind == zdb::FieldKind::Text ? def.size : 0;
}

void FieldBinder::text(QLineEdit *edit, const QString &field, TextCase textCase)
{
    const int size = sizeOf(field);
    if (size > 0)
        edit->setMaxLength(size);
    add(Kind::Text, edit, field, size, textCase);
}

void FieldBinder::text(QComboBox *combo, const QString &field)
{
    const int size = sizeOf(field);
    if (size > 0 && combo->lineEdit())
        combo->lineEdit()->setMaxLength(size);
    add(Kind::Combo, combo, field, size);
}

void FieldBinder::integer(QLineEdit *edit, const QString &field)
{
    edit->setMaxLength(kIntegerDigits);
    edit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(kIntegerDigits)), edit));
    add(Kind::Integer, edit, field, 0);
}

void FieldBinder::memo(DescriptionEditor *edit, const QString &field)
{
    const int size = sizeOf(field);
    edit->setMaxLength(size);
    add(Kind::Memo, edit, field, size);
}

void FieldBinder::memo(QPlainTextEdit *edit, const QString &field)
{
    add(Kind::PlainMemo, edit, field, sizeOf(field));
}

void FieldBinder::date(DateField *edit, const QString &field)
{
    add(Kind::Date, edit, field, 0);
}

QString FieldBinder::storedMemo(const QString &shown, int size)
{
    const QString text = DescriptionEditor::withCrLf(shown);
    return size > 0 ? DescriptionEditor::cutTo(text, size) : text;
}

QString FieldBinder::shownMemo(const QString &stored)
{
    QString text = stored;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

QString FieldBinder::shown(const Binding &b) const
{
    switch (b.kind) {
    case Kind::Text:
    case Kind::Integer: return static_cast<QLineEdit *>(b.widget)->text();
    case Kind::Combo: return static_cast<QComboBox *>(b.widget)->currentText();
    case Kind::Memo: return static_cast<DescriptionEditor *>(b.widget)->plainText();
    case Kind::PlainMemo: return static_cast<QPlainTextEdit *>(b.widget)->toPlainText();
    case Kind::Date: {
        auto *d = static_cast<DateField *>(b.widget);
        return d->isBlank() ? QString() : d->date().toString(Qt::ISODate);
    }
    }
    return {};
}

void FieldBinder::load(const zdb::RecordSet &rs)
{
    for (Binding &b : m_bindings) {
        const QString stored = rs.text(b.field);
        switch (b.kind) {
        case Kind::Text:
        case Kind::Integer: {
            auto *e = static_cast<QLineEdit *>(b.widget);
            // A longer stored text is shown whole; the limit never cuts it.
            if (b.kind == Kind::Text && b.size > 0)
                e->setMaxLength(qMax(b.size, int(stored.size())));
            e->setText(stored);
            e->setCursorPosition(0);
            break;
        }
        case Kind::Combo: {
            auto *c = static_cast<QComboBox *>(b.widget);
            if (b.size > 0 && c->lineEdit())
                c->lineEdit()->setMaxLength(qMax(b.size, int(stored.size())));
            c->setEditText(stored);
            break;
        }
        case Kind::Memo:
            static_cast<DescriptionEditor *>(b.widget)->setPlainText(stored);
            break;
        case Kind::PlainMemo:
            static_cast<QPlainTextEdit *>(b.widget)->setPlainText(shownMemo(stored));
            break;
        case Kind::Date:
            static_cast<DateField *>(b.widget)->setValue(rs.value(b.field).toDate());
            break;
        }
        b.loaded = shown(b);
    }
}

void FieldBinder::store(zdb::RecordSet &rs) const
{
    for (const Binding &b : m_bindings) {
        if (b.kind == Kind::Memo) {
            // Its text is compared as typed, so a stored lone LF is no change.
            if (!static_cast<DescriptionEditor *>(b.widget)->userModified())
                continue;
        }
        const QString now = shown(b);
        if (now == b.loaded)
            continue;
        auto textOrNull = [&b](const QString &text) {
            return text.isEmpty() && b.emptyNull ? QVariant() : QVariant(text);
        };
        switch (b.kind) {
        case Kind::Text:
            rs.setValue(b.field, textOrNull(b.textCase == UpperCase ? now.toUpper() : now));
            break;
        case Kind::Combo:
        case Kind::Memo:
            rs.setValue(b.field, textOrNull(now));
            break;
        case Kind::Integer:
            rs.setValue(b.field, now.isEmpty() ? QVariant() : QVariant(now.toInt()));
            break;
        case Kind::PlainMemo:
            rs.setValue(b.field, textOrNull(storedMemo(now, b.size)));
            break;
        case Kind::Date:
            // An emptied date field had no date to give; the row keeps its own.
            if (!now.isEmpty())
                rs.setValue(b.field, static_cast<DateField *>(b.widget)->date());
            break;
        }
    }
}
