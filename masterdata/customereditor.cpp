#include "masterdata/customereditor.h"

#include "app/helpers/actions.h"
#include "app/helpers/appcore.h"
#include "app/helpers/core/common.h"
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

Tfrm_Ugyfel_Szerkeszt::Tfrm_Ugyfel_Szerkeszt(zdb::Table *tbl, QWidget *parent)
    : RecordEditor(tbl, QStringLiteral("frm_Ugyfel_Szerkeszt"), QStringLiteral("Ügyfél szerkesztés"), parent)
{
    setWindowIcon(ZIcon(QStringLiteral("ugyfel")));
    auto *grid = new QGridLayout;
    int row = 0;
    // A row's extra widget (the picture button) stands right of its input.
    // An emptied field is stored as no value.
    bind().setEmptyStoresNull(true);
    enum { Text, Integer };
    auto addLine = [&](const QString &caption, const QString &objectName, const QString &field, int kind = Text,
                       QWidget *extra = nullptr) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(objectName);
        if (kind == Integer)
            bind().integer(edit, field);
        else
            bind().text(edit, field);
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
    edKod = addLine(QStringLiteral("kód"), QStringLiteral("edKod"), QStringLiteral("ugyfelkod"), Integer);
    edKod->setMaximumWidth(100);
    edNev = addLine(QStringLiteral("ügyfél"), QStringLiteral("edNev"), QStringLiteral("ugyfel_nev"));
    edTelefon = addLine(QStringLiteral("telefon"), QStringLiteral("edTelefon"), QStringLiteral("telefon"));
    edFax = addLine(QStringLiteral("fax"), QStringLiteral("edFax"), QStringLiteral("fax"));
    edMobil = addLine(QStringLiteral("mobil"), QStringLiteral("edMobil"), QStringLiteral("mobil"));

    btNevMasol = new QToolButton(this);
    btNevMasol->setObjectName(QStringLiteral("btNevMasol"));
    btNevMasol->setIcon(ZIcon(QStringLiteral("nevjegy")));
    btNevMasol->setToolTip(QStringLiteral("Az ügyfél neve a kapcsolattartó"));
    btNevMasol->setAutoRaise(true);
    edKapcsolattarto = addLine(QStringLiteral("kapcs.tartó"), QStringLiteral("edKapcsolattarto"),
                               QStringLiteral("kapcsolattarto"), Text, btNevMasol);
    edEmil = addLine(QStringLiteral("e-mail"), QStringLiteral("edEmil"), QStringLiteral("emil"));
    edIrsz = addLine(QStringLiteral("irsz"), QStringLiteral("edIrsz"), QStringLiteral("irsz"));
    edIrsz->setMaximumWidth(100);
    edVaros = addLine(QStringLiteral("város"), QStringLiteral("edVaros"), QStringLiteral("varos"));
    edCim = addLine(QStringLiteral("cím"), QStringLiteral("edCim"), QStringLiteral("cim"));

    edMegjegyzes = new QPlainTextEdit(this);
    edMegjegyzes->setObjectName(QStringLiteral("edMegjegyzes"));
    edMegjegyzes->setTabChangesFocus(true);
    edMegjegyzes->setFixedHeight(edMegjegyzes->fontMetrics().lineSpacing() * 5 + 12);
    bind().memo(edMegjegyzes, QStringLiteral("megjegyzes"));
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
    edKod->setFocus(Qt::OtherFocusReason);
}

bool Tfrm_Ugyfel_Szerkeszt::confirmStore()
{
    if (keepsProposedCode())
        return true;   // given within the save, never one another row has
    return confirmUniqueCode(QStringLiteral("ugyfelkod"), QStringLiteral("ugyfel_nev"));
}

bool Tfrm_Ugyfel_Szerkeszt::keepsProposedCode() const
{
    return proposedCode > 0 && table()->mode() == zdb::RecordSet::Mode::Inserting
        && table()->value(QStringLiteral("ugyfelkod")) == QVariant(proposedCode);
}

bool EditCustomer(zdb::Table *tbl, bool isNew, bool presetCode)
{
    Tfrm_Ugyfel_Szerkeszt dialog(tbl, DialogParent());
    // The proposed code is read again in the saving transaction (the write
    // lock held), so two desks adding customers at once get different codes.
    const std::function<void(zdb::RecordSet &)> previous = tbl->beforePost();
    tbl->setBeforePost([previous, &dialog](zdb::RecordSet &rs) {
        if (previous)
            previous(rs);
        if (dialog.keepsProposedCode())
            rs.setValue(QStringLiteral("ugyfelkod"), NextId(QStringLiteral("ugyfelkod"), QStringLiteral("ugyfel")));
    });
    struct Restore
    {
        zdb::Table *tbl;
        const std::function<void(zdb::RecordSet &)> &rule;
        ~Restore() { tbl->setBeforePost(rule); }
    } restore{tbl, previous};
    return RunRecordEditor(tbl, dialog, isNew, [tbl, presetCode, &dialog] {
        if (presetCode) {
            dialog.proposedCode = NextId(QStringLiteral("ugyfelkod"), QStringLiteral("ugyfel"));
            tbl->setValue(QStringLiteral("ugyfelkod"), dialog.proposedCode);
        }
    });
}
