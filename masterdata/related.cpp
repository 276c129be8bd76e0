#include "masterdata/related.h"

#include "masterdata/entries.h"

#include "scheduling/entries.h"
#include "scheduling/listcolumns.h"
#include "scheduling/records.h"

#include "app/helpers/appcore.h"
#include "app/helpers/core/common.h"
#include "app/helpers/datagrid.h"
#include "app/helpers/fieldcolumn.h"
#include "app/helpers/datagridsorter.h"
#include "app/helpers/guard.h"
#include "app/helpers/testhooks.h"

#include "db/catalog.h"
#include "db/recordset.h"

#include <QAction>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace {

constexpr int kTextSize = 512;

GridColumn markerColumn(bool titleCentred)
{
    GridColumn c = DoneColumn();
    c.title = QStringLiteral("!");
    c.width = 18;
    c.titleAlignment = titleCentred ? Qt::AlignCenter : Qt::AlignLeft;
    return c;
}

GridColumn textColumn(const QString &field, const QString &title, int width, Qt::Alignment alignment = Qt::AlignLeft)
{
    GridColumn c = TextColumn(field, title, {}, alignment);
    c.width = width;
    return c;
}

// One column of every link kind (its link column or its copied name), in
// the catalogue's order of the kinds, as the export lists them.
QStringList linkFields(QString zdb::LinkDecl::*column)
{
    QStringList out;
    for (int kind : {zdb::LinkCustomer, zdb::LinkProduct, zdb::LinkProject})
        out << zdb::CatalogueLink(kind).*column;
    return out;
}

} // namespace

QString RelatedTaskText(const zdb::RecordSet &rs, int row)
{
    auto v = [&](const char *f) { return rs.valueAt(row, QString::fromLatin1(f)); };
    QString text;
    text += GenTextLine(VarToStrNull(v("rovid")));
    text += GenTextLine(QStringLiteral("beérkezett: ") + GenTextDate(v("datum")));
    text += GenTextLine(QStringLiteral("határidő  : ") + GenTextDate(v("dat_hatid")));
    text += GenTextLine(QStringLiteral("ügyfél    : ") + VarToStrNull(v("ugyfel_nev")));
    text += GenTextLine(QStringLiteral("termék    : ") + VarToStrNull(v("termek_nev")));
    text += GenTextLine(QStringLiteral("projekt   : ") + VarToStrNull(v("projekt_nev")));
    text += GenTextDoneLine(v("kesz"));
    text += GenTextLine(QString());
    text += GenTextLine(VarToStrNull(v("leiras")));
    return text.left(kTextSize);
}

QString RelatedCalendarText(const zdb::RecordSet &rs, int row)
{
    auto v = [&](const char *f) { return rs.valueAt(row, QString::fromLatin1(f)); };
    // The hour as stored, also one outside 0..23 that another program wrote:
    // there is no time of day to turn it into.
    const int hour = IntOrZero(v("ora"));
    const QString at = QStringLiteral("%1:00").arg(hour, 2, 10, QLatin1Char('0'));
    QString text;
    text += GenTextLine(VarToStrNull(v("rovid")));
    text += GenTextLine(QStringLiteral("dátum     : ") + GenTextDate(v("datum")) + QLatin1Char(' ') + at);
    text += GenTextLine(QStringLiteral("ügyfél    : ") + VarToStrNull(v("ugyfel_nev")));
    text += GenTextLine(QStringLiteral("termék    : ") + VarToStrNull(v("termek_nev")));
    text += GenTextLine(QStringLiteral("projekt   : ") + VarToStrNull(v("projekt_nev")));
    text += GenTextDoneLine(v("kesz"));
    text += GenTextLine(QString());
    text += GenTextLine(VarToStrNull(v("leiras")));
    return text.left(kTextSize);
}

// ---- the common view --------------------------------------------------------

QString RelatedView::keyFieldOf(int linkKind)
{
    return zdb::CatalogueLink(linkKind).idField;
}

QString RelatedView::nameFieldOf(int linkKind)
{
    return zdb::CatalogueLink(linkKind).nameField;
}

QString RelatedView::openRowsFilter(const QString &keyField)
{
    return QStringLiteral("(%1=?) and (kesz='N')").arg(keyField);
}

QString RelatedView::allRowsFilter(const QString &keyField)
{
    return QStringLiteral("(%1=?)").arg(keyField);
}

RelatedView::RelatedView(const QString &formName, const QString &caption, const QString &iconName, int linkKind, int id,
                         QWidget *parent)
    : ListDialog(formName, caption, iconName, parent), m_keyField(keyFieldOf(linkKind)),
      m_linkNameField(nameFieldOf(linkKind)), m_id(id)
{
    aSzur = addCommand(QStringLiteral("aSzur"), QStringLiteral("Szűrés"), QStringLiteral("Szűrés"),
                       QKeySequence(Qt::Key_F8), QStringLiteral("szur"));
    aSzur->setCheckable(true);
    aSzur->setChecked(true);
    connect(aSzur, &QAction::triggered, this, [this](bool on) { RunGuarded([&] { setOpenOnly(on); }, this); });

    auto *header = new QWidget(this);
    auto *headerRow = new QHBoxLayout(header);
    headerRow->setContentsMargins(6, 4, 6, 4);
    m_label = new QLabel(header);
    m_label->setObjectName(QStringLiteral("lbCimke"));
    m_name = new QLabel(header);
    m_name->setObjectName(QStringLiteral("lbNev"));
    QFont bold = m_name->font();
    bold.setBold(true);
    m_name->setFont(bold);
    headerRow->addWidget(m_label);
    headerRow->addWidget(m_name, 1);
    mainLayout()->insertWidget(1, header);

    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("memGenszoveg"));
    m_text->setReadOnly(true);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The labels of the text are padded to line up, which needs even letters.
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_text->setFixedWidth(300);
    gridRow()->addWidget(m_text);

    setToolBarCommands({aSzur, nullptr, aNyomtat, aNyomtatKep, nullptr, aExcelbe, aHtml, nullptr, aBezar});
    setPopupCommands({aSzur, nullptr, aNyomtat, aNyomtatKep, nullptr, aExcelbe, aHtml, nullptr, aBezar});
    setPrintOptions(true, 8);
    setOutputTitle(caption);
    resize(780, 440);
}

void RelatedView::setHeader(const QString &label, const QString &nameField)
{
    m_label->setText(label);
    m_nameField = nameField;
}

void RelatedView::start(zdb::Table *tbl, const QList<GridColumn> &columns, const QString &order)
{
    tbl->setReadOnly(true);
    tbl->setOrder(order);
    showRecordSet(tbl, columns);
    grid()->horizontalHeader()->setStretchLastSection(true);
    connect(tbl, &zdb::RecordSet::currentChanged, this, &RelatedView::showCurrent);
    connect(tbl, &zdb::RecordSet::reset, this, &RelatedView::showCurrent);
    openFiltered(openRowsFilter(m_keyField), {m_id});
    showCurrent();
}

void RelatedView::setOpenOnly(bool on)
{
    m_openOnly = on;
    aSzur->setChecked(on);
    // Filtering stays on either way: only this master record's rows are listed.
    openFiltered(on ? openRowsFilter(m_keyField) : allRowsFilter(m_keyField), {m_id});
}

QString RelatedView::outputSubtitle() const
{
    const zdb::RecordSet *rs = recordSet();
    if (!rs || !rs->isOpen() || rs->currentRow() < 0)
        return {};
    return rs->text(m_linkNameField);
}

void RelatedView::showCurrent()
{
    const zdb::RecordSet *rs = recordSet();
    const bool hasRow = rs && rs->isOpen() && rs->currentRow() >= 0;
    m_name->setText(hasRow ? rs->text(m_nameField) : QString());
    QString text = hasRow ? rs->text(QStringLiteral("genszoveg")) : QString();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_text->setPlainText(text);
}

// ---- the two views ----------------------------------------------------------

Tfrm_Ugyfel_feladat::Tfrm_Ugyfel_feladat(int linkKind, int id, QWidget *parent)
    : RelatedView(QStringLiteral("frm_Ugyfel_feladat"), QStringLiteral("Feladatok"), QStringLiteral("feladat"), linkKind,
                  id, parent)
{
    switch (linkKind) {
    case LinkProduct: setHeader(QStringLiteral("termék:"), nameFieldOf(linkKind)); break;
    case LinkProject: setHeader(QStringLiteral("projekt:"), nameFieldOf(linkKind)); break;
    default: setHeader(QStringLiteral("ügyfél"), nameFieldOf(LinkCustomer)); break;
    }
    auto *tbl = new zdb::Table(Db1(), QStringLiteral("dolog3"));
    zdb::DeclareFields(*tbl, QStringLiteral("dolog3"),
                       QStringList{QStringLiteral("dolog3"), QStringLiteral("datum"), QStringLiteral("dat_hatid"),
                                   QStringLiteral("rovid"), QStringLiteral("leiras")}
                           + linkFields(&zdb::LinkDecl::idField)
                           + QStringList{QStringLiteral("fontos"), QStringLiteral("fileban")}
                           + linkFields(&zdb::LinkDecl::nameField)
                           + QStringList{QStringLiteral("kesz"), QStringLiteral("dat_kesz")});
    tbl->fieldDef(QStringLiteral("rovid")).title = QStringLiteral("rövid");
    tbl->addCalculated(QStringLiteral("genszoveg"), kTextSize);
    tbl->setCalcHandler([](const zdb::RecordSet &rs, int row, const QString &) { return QVariant(RelatedTaskText(rs, row)); });
    start(tbl,
          {markerColumn(false), textColumn(QStringLiteral("datum"), QStringLiteral("dátum"), 80),
           textColumn(QStringLiteral("dat_hatid"), QStringLiteral("határidő"), 80),
           textColumn(QStringLiteral("rovid"), QStringLiteral("rövid"), 240)},
          QStringLiteral("dat_hatid"));
    sorter()->shadeColumn(QStringLiteral("dat_hatid"));
}

Tfrm_Ugyfel_naptar::Tfrm_Ugyfel_naptar(int linkKind, int id, QWidget *parent)
    : RelatedView(QStringLiteral("frm_Ugyfel_naptar"), QStringLiteral("Naptár"), QStringLiteral("naptar"), linkKind, id,
                  parent)
{
    // Whatever the link, the calendar view names the entry's customer.
    setHeader(QStringLiteral("ügyfél"), nameFieldOf(LinkCustomer));
    auto *tbl = new zdb::Table(Db1(), QStringLiteral("dolog1"));
    zdb::DeclareFields(*tbl, QStringLiteral("dolog1"),
                       QStringList{QStringLiteral("dolog1"), QStringLiteral("datum"), QStringLiteral("ora"),
                                   QStringLiteral("rovid"), QStringLiteral("leiras")}
                           + linkFields(&zdb::LinkDecl::idField)
                           + QStringList{QStringLiteral("fontos"), QStringLiteral("fileban")}
                           + linkFields(&zdb::LinkDecl::nameField)
                           + QStringList{QStringLiteral("dat_kesz"), QStringLiteral("kesz"), QStringLiteral("datumstr")});
    tbl->fieldDef(QStringLiteral("rovid")).title = QStringLiteral("rövid");
    tbl->addCalculated(QStringLiteral("genszoveg"), kTextSize);
    tbl->setCalcHandler(
        [](const zdb::RecordSet &rs, int row, const QString &) { return QVariant(RelatedCalendarText(rs, row)); });
    start(tbl,
          {markerColumn(true), textColumn(QStringLiteral("datum"), QStringLiteral("dátum"), 80),
           textColumn(QStringLiteral("ora"), QStringLiteral("óra"), 40, Qt::AlignRight),
           textColumn(QStringLiteral("rovid"), QStringLiteral("rövid"), 240)},
          QStringLiteral("datum"));
    sorter()->shadeColumn(QStringLiteral("datum"));
}

void ShowRelatedTasks(int linkKind, int id)
{
    Tfrm_Ugyfel_feladat dialog(linkKind, id, DialogParent());
    execDialog(&dialog);
}

void ShowRelatedCalendar(int linkKind, int id)
{
    Tfrm_Ugyfel_naptar dialog(linkKind, id, DialogParent());
    execDialog(&dialog);
}
