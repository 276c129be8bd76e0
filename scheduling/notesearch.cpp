#include "scheduling/notesearch.h"

#include "app/helpers/appcore.h"
#include "app/helpers/datagrid.h"
#include "app/helpers/guard.h"
#include "app/helpers/helpers.h"
#include "app/helpers/testhooks.h"

#include "db/catalog.h"
#include "db/recordset.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

NoteExcerpt MakeNoteExcerpt(const QString &noteText, const QString &searched)
{
    NoteExcerpt out;
    // Positions from 1; 0 when not found (an empty search finds nothing).
    const qsizetype found = searched.isEmpty() ? -1 : noteText.indexOf(searched, 0, Qt::CaseInsensitive);
    const qsizetype position = found + 1;
    const qsizetype start = qMax<qsizetype>(1, position - 50);
    out.text = noteText.mid(start - 1, searched.size() + 100);
    if (!searched.isEmpty()) {
        const qsizetype bold = out.text.indexOf(searched, 0, Qt::CaseInsensitive);
        if (bold >= 0) {
            out.boldStart = int(bold);
            out.boldLength = int(searched.size());
        }
    }
    return out;
}

QString NoteSearchSql()
{
    return QStringList{QStringLiteral("SELECT *"), QStringLiteral("FROM jegyzet"),
                       QStringLiteral("WHERE szoveg LIKE :pszoveg;")}
        .join(QLatin1Char('\n'));
}

Tfrm_SzovegKeres::Tfrm_SzovegKeres(const QString &initial, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frm_SzovegKeres"));
    setWindowTitle(QStringLiteral("Szöveg keresés"));

    m_query = new zdb::Query(Db1(), NoteSearchSql(), this);
    zdb::DeclareFields(*m_query, QStringLiteral("jegyzet"));

    m_search = new QLineEdit(initial, this);
    m_search->setObjectName(QStringLiteral("searchBox"));
    m_keres = new QPushButton(QStringLiteral("Keres"), this);
    m_keres->setObjectName(QStringLiteral("btnKeres"));
    m_megvan = new QPushButton(QStringLiteral("Megvan"), this);
    m_megvan->setObjectName(QStringLiteral("btnMegvan"));
    m_bezar = new QPushButton(QStringLiteral("Bezár"), this);
    m_bezar->setObjectName(QStringLiteral("btnBezar"));
    for (QPushButton *b : {m_keres, m_megvan, m_bezar})
        b->setAutoDefault(false);

    m_grid = new DataGrid(this);
    m_grid->setObjectName(QStringLiteral("results"));
    m_grid->setRecordSet(m_query, {{QStringLiteral("datum"), QStringLiteral("dátum"), 80},
                                   {QStringLiteral("kategoria"), QStringLiteral("kategória"), 110},
                                   {QStringLiteral("rovid"), QStringLiteral("rövid"), 250}});
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->horizontalHeader()->setSectionsClickable(false);

    m_excerpt = new QTextEdit(this);
    m_excerpt->setObjectName(QStringLiteral("excerpt"));
    m_excerpt->setReadOnly(true);
    m_excerpt->setAcceptRichText(false);

    auto *top = new QHBoxLayout;
    top->addWidget(m_search, 1);
    top->addWidget(m_keres);
    top->addSpacing(24);
    top->addWidget(m_megvan);
    top->addWidget(m_bezar);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_grid, 3);
    layout->addWidget(m_excerpt, 2);
    setFixedSize(560, 400);

    connect(m_keres, &QPushButton::clicked, this, Guarded([this] { search(); }));
    connect(m_megvan, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_bezar, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_grid, &DataGrid::activated, this, &QDialog::accept);
    connect(m_query, &zdb::RecordSet::currentChanged, this, &Tfrm_SzovegKeres::showExcerpt);
    connect(m_query, &zdb::RecordSet::reset, this, &Tfrm_SzovegKeres::showExcerpt);
}

Tfrm_SzovegKeres::~Tfrm_SzovegKeres() = default;

void Tfrm_SzovegKeres::search()
{
    m_query->close();
    m_searched = m_search->text();
    m_query->setParam(QStringLiteral("pszoveg"), QStringLiteral("%") + m_searched + QStringLiteral("%"));
    m_query->open();
    m_grid->syncFromRecordSet();
    showExcerpt();
}

int Tfrm_SzovegKeres::chosenId() const
{
    if (!m_query->isOpen() || m_query->currentRow() < 0)
        return 0;
    return VarToIntNull(m_query->value(QStringLiteral("jegyzet")));
}

void Tfrm_SzovegKeres::showExcerpt()
{
    m_excerpt->clear();
    if (!m_query->isOpen() || m_query->currentRow() < 0)
        return;
    const NoteExcerpt excerpt = MakeNoteExcerpt(m_query->text(QStringLiteral("szoveg")), m_searched);
    QTextCursor cursor(m_excerpt->document());
    QTextCharFormat normal;
    normal.setFontWeight(QFont::Normal);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    if (excerpt.boldStart < 0) {
        cursor.insertText(excerpt.text, normal);
    } else {
        cursor.insertText(excerpt.text.left(excerpt.boldStart), normal);
        cursor.insertText(excerpt.text.mid(excerpt.boldStart, excerpt.boldLength), bold);
        cursor.insertText(excerpt.text.mid(excerpt.boldStart + excerpt.boldLength), normal);
    }
    m_excerpt->moveCursor(QTextCursor::Start);
    m_excerpt->verticalScrollBar()->setValue(0);
}

void Tfrm_SzovegKeres::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_positioned) {
        m_positioned = true;
        RestoreFormPosition(this, objectName());
    }
}

void Tfrm_SzovegKeres::done(int result)
{
    RememberFormPosition(this, objectName());
    QDialog::done(result);
}

int SearchNotes(const QString &initial)
{
    Tfrm_SzovegKeres dialog(initial, DialogParent());
    const bool confirmed = execDialog(&dialog) == QDialog::Accepted;
    const int id = confirmed ? dialog.chosenId() : -1;
    dialog.query()->close();
    return id;
}
