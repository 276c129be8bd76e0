#include "masterdata/customereditor.h"

#include "app/helpers/actions.h"
#include "app/helpers/appcore.h"
#include "app/helpers/common.h"
#include "app/helpers/testhooks.h"

#include "db/recordset.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kNoteSize = 255;

// The note as the user sees it (line feeds) and as it is stored (CR LF).
QString noteToEditor(const QString &stored)
{
    QString text = stored;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

QString noteToStored(const QString &edited)
{
    QString text = edited;
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    text.truncate(kNoteSize);
    // A cut between CR and LF would leave half a line end.
    if (text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    return text;
}

} // namespace

Tfrm_Ugyfel_Szerkeszt::Tfrm_Ugyfel_Szerkeszt(zdb::Table *tbl, QWidget *parent)
    : RecordEditor(tbl, QStringLiteral("frm_Ugyfel_Szerkeszt"), QStringLiteral("Ügyfél szerkesztés"), parent)
{
    setWindowIcon(ZIcon(QStringLiteral("ugyfel")));
    auto *grid = new QGridLayout;
    int row = 0;
    // A row's extra widget (the picture button) stands right of its input.
    auto addLine = [&](const QString &caption, const QString &objectName, const QString &field, int size,
                       QWidget *extra = nullptr) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(objectName);
        if (size > 0)
            m_inputs.addText(edit, field, size);
        else
            m_inputs.addInteger(edit, field);
        auto *label = new QLabel(caption, this);
        label->setBuddy(edit);
        grid->addWidget(label, row, 0);
        if (extra) {
            auto *line = new QHBoxLayout;
            line->setContentsMargins(0, 0, 0, 0);
            line->addWidget(edit, 1);
            line->addWidget(extra);
            grid->addLayout(line, row, 1);
        } else {
            grid->addWidget(edit, row, 1);
        }
        ++row;
        return edit;
    };
    edKod = addLine(QStringLiteral("kód"), QStringLiteral("edKod"), QStringLiteral("ugyfelkod"), 0);
    edKod->setMaximumWidth(100);
    edNev = addLine(QStringLiteral("ügyfél"), QStringLiteral("edNev"), QStringLiteral("ugyfel_nev"), 75);
    edTelefon = addLine(QStringLiteral("telefon"), QStringLiteral("edTelefon"), QStringLiteral("telefon"), 25);
    edFax = addLine(QStringLiteral("fax"), QStringLiteral("edFax"), QStringLiteral("fax"), 25);
    edMobil = addLine(QStringLiteral("mobil"), QStringLiteral("edMobil"), QStringLiteral("mobil"), 25);

    btNevMasol = new QToolButton(this);
    btNevMasol->setObjectName(QStringLiteral("btNevMasol"));
    btNevMasol->setIcon(ZIcon(QStringLiteral("nevjegy")));
    btNevMasol->setToolTip(QStringLiteral("Az ügyfél neve a kapcsolattartó"));
    btNevMasol->setAutoRaise(true);
    edKapcsolattarto = addLine(QStringLiteral("kapcs.tartó"), QStringLiteral("edKapcsolattarto"),
                               QStringLiteral("kapcsolattarto"), 50, btNevMasol);
    edEmil = addLine(QStringLiteral("e-mail"), QStringLiteral("edEmil"), QStringLiteral("emil"), 75);
    edIrsz = addLine(QStringLiteral("irsz"), QStringLiteral("edIrsz"), QStringLiteral("irsz"), 6);
    edIrsz->setMaximumWidth(100);
    edVaros = addLine(QStringLiteral("város"), QStringLiteral("edVaros"), QStringLiteral("varos"), 25);
    edCim = addLine(QStringLiteral("cím"), QStringLiteral("edCim"), QStringLiteral("cim"), 50);

    edMegjegyzes = new QPlainTextEdit(this);
    edMegjegyzes->setObjectName(QStringLiteral("edMegjegyzes"));
    edMegjegyzes->setTabChangesFocus(true);
    edMegjegyzes->setFixedHeight(edMegjegyzes->fontMetrics().lineSpacing() * 5 + 12);
    auto *noteLabel = new QLabel(QStringLiteral("megjegyzés"), this);
    noteLabel->setBuddy(edMegjegyzes);
    grid->addWidget(noteLabel, row, 0, Qt::AlignTop);
    grid->addWidget(edMegjegyzes, row, 1);
    grid->setColumnStretch(1, 1);

    connect(btNevMasol, &QToolButton::clicked, this, [this] {
        edKapcsolattarto->setText(edNev->text());
        edKapcsolattarto->setFocus(Qt::OtherFocusReason);
    });

    QWidget *order[] = {edKod, edNev, edTelefon, edFax, edMobil, btNevMasol, edKapcsolattarto, edEmil,
                        edIrsz, edVaros, edCim, edMegjegyzes, okButton(), cancelButton()};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttonRow());
    resize(460, 0);
    setFixedSize(460, sizeHint().height());
}

void Tfrm_Ugyfel_Szerkeszt::loadFields()
{
    zdb::Table *tbl = table();
    m_inputs.load(*tbl);
    m_loadedNote = noteToEditor(tbl->text(QStringLiteral("megjegyzes")));
    edMegjegyzes->setPlainText(m_loadedNote);
    edKod->setFocus(Qt::OtherFocusReason);
}

bool Tfrm_Ugyfel_Szerkeszt::confirmStore()
{
    return confirmUniqueCode(QStringLiteral("ugyfelkod"), QStringLiteral("ugyfel_nev"));
}

void Tfrm_Ugyfel_Szerkeszt::storeFields()
{
    zdb::Table *tbl = table();
    m_inputs.store(*tbl);
    const QString note = edMegjegyzes->toPlainText();
    if (note != m_loadedNote)
        tbl->setValue(QStringLiteral("megjegyzes"), note.isEmpty() ? QVariant() : QVariant(noteToStored(note)));
}

bool EditCustomer(zdb::Table *tbl, bool isNew, bool presetCode)
{
    Tfrm_Ugyfel_Szerkeszt dialog(tbl, DialogParent());
    return RunRecordEditor(tbl, dialog, isNew, [tbl, presetCode] {
        if (presetCode)
            tbl->setValue(QStringLiteral("ugyfelkod"), NextId(QStringLiteral("ugyfelkod"), QStringLiteral("ugyfel")));
    });
}
