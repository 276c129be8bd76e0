#include "scheduling/worklog.h"

#include "app/helpers/descriptioneditor.h"
#include "scheduling/entries.h"

#include "app/helpers/appcore.h"
#include "app/helpers/datagrid.h"
#include "app/helpers/datefield.h"
#include "app/helpers/guard.h"
#include "app/helpers/helpers.h"
#include "app/helpers/testhooks.h"

#include "db/catalog.h"
#include "db/recordset.h"

#include "output/output.h"

#include <QAction>
#include <QFormLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kLeiras = QStringLiteral("leiras");
const QString kRovid = QStringLiteral("rovid");
const QString kDatum = QStringLiteral("datum");

} // namespace

QString WorkLogFilter()
{
    return QStringLiteral("feladat=?");
}

QString TaskShortText(int taskId)
{
    zdb::Query qry(Db1(), QStringLiteral("SELECT rovid FROM dolog3 WHERE dolog3=:id"));
    zdb::DeclareFields(qry, QStringLiteral("dolog3"), {kRovid});
    qry.setParam(QStringLiteral("id"), taskId);
    qry.open();
    const QString text = qry.isEmpty() ? QString() : qry.text(kRovid);
    qry.close();
    return text;
}

// ---- the work log ---------------------------------------------------------

Tfrm_Munka::Tfrm_Munka(int taskId, QWidget *parent)
    : ListDialog(QStringLiteral("frm_Munka"), QStringLiteral("Végzett munkák"), QStringLiteral("munka"), parent),
      m_taskId(taskId)
{
    setOutputTitle(QStringLiteral("Végzett munkák"));
    setPrintOptions(true, 8);

    aUj = addCommand(QStringLiteral("aUj"), QStringLiteral("Új"), QStringLiteral("Új"), QKeySequence(Qt::Key_Insert),
                     QStringLiteral("uj"), [this] { newEntry(); });
    aSzerkeszt = addCommand(QStringLiteral("aSzerkeszt"), QStringLiteral("Szerkeszt"), QStringLiteral("Szerkeszt"),
                            QKeySequence(Qt::Key_F2), QStringLiteral("szerkeszt"), [this] { editEntry(); });
    aTorol = addCommand(QStringLiteral("aTorol"), QStringLiteral("Töröl"), QStringLiteral("Töröl"),
                        QKeySequence(Qt::CTRL | Qt::Key_Delete), QStringLiteral("torol"), [this] { deleteEntry(); });

    m_entries = new zdb::Table(Db1(), QStringLiteral("munka"));
    zdb::UseCatalogue(*m_entries, QStringLiteral("munka"));
    showRecordSet(m_entries, {{kDatum, QStringLiteral("dátum"), 80}, {kRovid, QStringLiteral("rövid"), 330}});
    setToolBarCommands({aUj, aSzerkeszt, aTorol, nullptr, aNyomtat, nullptr, aBezar});
    grid()->horizontalHeader()->setStretchLastSection(true);
    setRowCommands({aSzerkeszt, aTorol});

    m_remark = new QPlainTextEdit(this);
    m_remark->setObjectName(QStringLiteral("remark"));
    m_remark->setReadOnly(true);
    m_remark->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_remark->setFixedHeight(110);
    mainLayout()->addWidget(m_remark);

    // The text follows the current row, wherever it moves or changes.
    connect(m_entries, &zdb::RecordSet::reset, this, &Tfrm_Munka::showRemark);
    for (auto signal : {&zdb::RecordSet::rowChanged, &zdb::RecordSet::rowRemoved, &zdb::RecordSet::currentChanged})
        connect(m_entries, signal, this, &Tfrm_Munka::showRemark);

    // The entries come in their stored order; the date column is shaded as the sort column.
    openFiltered(WorkLogFilter(), {taskId});
    grid()->shadeField(kDatum);
    setFixedSize(460, 420);
}

bool Tfrm_Munka::hasCurrentEntry() const
{
    return m_entries->isOpen() && m_entries->currentRow() >= 0;
}

void Tfrm_Munka::showRemark()
{
    const QString text = hasCurrentEntry() ? m_entries->text(kLeiras) : QString();
    if (m_remark->toPlainText() != text)
        m_remark->setPlainText(text);
}

void Tfrm_Munka::newEntry()
{
    EditWorkEntry(m_entries, true, m_taskId);
    grid()->syncFromRecordSet();
    showRemark();
}

void Tfrm_Munka::editEntry()
{
    // An empty log has no entry to edit (editing would start a new, unasked-for one).
    if (!hasCurrentEntry())
        return;
    EditWorkEntry(m_entries, false, m_taskId);
    grid()->syncFromRecordSet();
    showRemark();
}

void Tfrm_Munka::deleteEntry()
{
    if (!hasCurrentEntry())
        return;
    if (!AskYesNo(QStringLiteral("Valóban töröljem a munkát?"), QStringLiteral("Megerősítés"), this))
        return;
    m_entries->remove();
    grid()->syncFromRecordSet();
}

void Tfrm_Munka::printList(bool print)
{
    PrintGrid(grid()->shape(), print, true, TaskShortText(m_taskId), QString(), 8, outputTitle());
}

void OpenWorkLog(int taskId)
{
    Tfrm_Munka dialog(taskId, DialogParent());
    execDialog(&dialog);
    dialog.entries()->close();
}

// ---- the entry editor -----------------------------------------------------

Tfrm_MunkaSzerkeszt::Tfrm_MunkaSzerkeszt(zdb::Table *entries, QWidget *parent)
    : RecordEditor(entries, QStringLiteral("frm_MunkaSzerkeszt"), QStringLiteral("Végzett munka, részfeladat"), parent)
{
    m_date = new DateField(this);
    m_date->setObjectName(QStringLiteral("edDatum"));
    m_date->setMaximumWidth(140);
    bind().date(m_date, kDatum);

    m_rovid = new QLineEdit(this);
    m_rovid->setObjectName(QStringLiteral("edRovid"));
    bind().text(m_rovid, kRovid);
    // The short text edits the row directly; "Mégsem" undoes it with the row.
    connect(m_rovid, &QLineEdit::textEdited, this, [this](const QString &text) {
        RunGuarded([&] { table()->setValue(kRovid, text); }, this);
    });

    m_remark = new DescriptionEditor(this);
    m_remark->setObjectName(QStringLiteral("edMegjegyzes"));
    bind().memo(m_remark, kLeiras);
    m_remark->setMarginWidth(0, 0);   // plain text: no line numbers here

    auto *fields = new QFormLayout;
    fields->addRow(QStringLiteral("dátum"), m_date);
    fields->addRow(QStringLiteral("rövid"), m_rovid);
    fields->addRow(QStringLiteral("megjegyzés"), m_remark);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields, 1);
    layout->addLayout(buttonRow());
    setTabOrder(m_date, m_rovid);
    setTabOrder(m_rovid, m_remark);
    setTabOrder(m_remark, okButton());
    setTabOrder(okButton(), cancelButton());
    setFixedSize(500, 330);
}

void EditWorkEntry(zdb::Table *entries, bool isNew, int taskId)
{
    Tfrm_MunkaSzerkeszt editor(entries, DialogParent());
    RunRecordEditor(entries, editor, isNew, [entries, taskId] {
        entries->setValue(kDatum, QDate::currentDate());
        entries->setValue(QStringLiteral("feladat"), taskId);
    });
}
