#include "masterdata/comments.h"

#include "masterdata/commenteditor.h"
#include "masterdata/entries.h"
#include "masterdata/masterlist.h"
#include "scheduling/entries.h"

#include "output/output.h"

#include "app/helpers/appcore.h"
#include "app/helpers/datagrid.h"
#include "app/helpers/datagridsorter.h"
#include "app/helpers/guard.h"
#include "app/helpers/helpers.h"
#include "app/helpers/mail.h"
#include "app/helpers/testhooks.h"

#include "db/catalog.h"
#include "db/recordset.h"

#include <QAction>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QList<GridColumn> pageColumns()
{
    GridColumn datum;
    datum.field = QStringLiteral("datum");
    datum.title = QStringLiteral("dátum");
    datum.width = 80;
    GridColumn rovid;
    rovid.field = QStringLiteral("rovid");
    rovid.title = QStringLiteral("rövid");
    rovid.width = 380;
    return {datum, rovid};
}

QString currentText(const zdb::Table *tbl, const QString &field)
{
    return tbl->isOpen() && tbl->currentRow() >= 0 ? tbl->text(field) : QString();
}

} // namespace

QString CommentLinkField(int linkKind)
{
    return zdb::CatalogueLink(linkKind).idField;
}

QString CommentOwnerTable(int linkKind)
{
    return zdb::CatalogueLink(linkKind).table;
}

void UpdateCommentFlag(int linkKind, int ownerId, bool hasAny)
{
    const QString idField = CommentLinkField(linkKind);
    const QString flag = hasAny ? QStringLiteral("I") : QStringLiteral("N");
    // Only a flag that differs is written, so an unchanged owner's list is
    // not reloaded; a list showing the owner refreshes itself from the
    // table's change.
    zdb::UpdateWhere(Db1(), CommentOwnerTable(linkKind), {{QStringLiteral("vanmegj"), flag}},
                     idField + QStringLiteral("=? AND vanmegj IS NOT ?"), {ownerId, flag});
}

Tfrm_Megjegyzes::Tfrm_Megjegyzes(int linkKind, int ownerId, const QString &ownerName, QWidget *parent)
    : ListDialog(QStringLiteral("frm_Megjegyzes"), QStringLiteral("Megjegyzések, dokumentumok"),
                 QStringLiteral("megjegyzes"), parent),
      m_linkKind(linkKind), m_ownerId(ownerId), m_ownerName(ownerName)
{
    m_comments = new zdb::Table(Db1(), this);
    m_comments->setObjectName(QStringLiteral("TblMegjegyzes"));
    zdb::UseCatalogue(*m_comments, QStringLiteral("megjegyzes"));
    m_documents = new zdb::Table(Db1(), this);
    m_documents->setObjectName(QStringLiteral("TblDoksi"));
    zdb::UseCatalogue(*m_documents, QStringLiteral("doksi"));

    aUj = addCommand(QStringLiteral("aUj"), QStringLiteral("Új"), QStringLiteral("Új"), QKeySequence(Qt::Key_Insert),
                     QStringLiteral("uj"), [this] { newRow(); });
    aSzerkeszt = addCommand(QStringLiteral("aSzerkeszt"), QStringLiteral("Szerkeszt"), QStringLiteral("Szerkeszt"),
                            QKeySequence(Qt::Key_F2), QStringLiteral("szerkeszt"), [this] { editRow(); });
    aTorol = addCommand(QStringLiteral("aTorol"), QStringLiteral("Töröl"), QStringLiteral("Töröl"),
                        QKeySequence(Qt::CTRL | Qt::Key_Delete), QStringLiteral("torol"), [this] { deleteRow(); });
    aLevelben = addCommand(QStringLiteral("aLevelben"), QStringLiteral("Levélben"), QStringLiteral("Levélben"),
                           QKeySequence(Qt::CTRL | Qt::Key_M), QStringLiteral("level"), [this] { sendByMail(); });
    setToolBarCommands({aUj, aSzerkeszt, aTorol, nullptr, aNyomtat, aLevelben, nullptr, aBezar});

    showRecordSet(m_comments, pageColumns());
    m_docGrid = new DataGrid(this);
    m_docGrid->setObjectName(QStringLiteral("gridDoksi"));
    m_docGrid->setRecordSet(m_documents, pageColumns());
    m_docSorter = new GridSorter(m_docGrid, m_documents, this);
    // The short text takes the width the date leaves.
    for (DataGrid *g : {grid(), m_docGrid})
        g->setAutoWidthShares(110, {{1, 100, 150}});

    // The owner's name over the two pages.
    auto *header = new QLabel(ownerName, this);
    header->setObjectName(QStringLiteral("lbNev"));
    header->setTextFormat(Qt::PlainText);
    header->setContentsMargins(6, 4, 6, 4);
    QFont bold = header->font();
    bold.setBold(true);
    header->setFont(bold);
    mainLayout()->insertWidget(1, header);

    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("edSzoveg"));
    // Shown only: a comment is changed in its editor, where the change is saved.
    m_text->setReadOnly(true);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text->setMaximumHeight(130);
    auto *commentPage = new QWidget(this);
    auto *cl = new QVBoxLayout(commentPage);
    cl->setContentsMargins(0, 0, 0, 0);
    gridRow()->removeWidget(grid());
    cl->addWidget(grid(), 1);
    cl->addWidget(m_text);

    m_link = new QLabel(this);
    m_link->setObjectName(QStringLiteral("lbFileban"));
    m_link->setTextFormat(Qt::RichText);
    m_link->setCursor(Qt::PointingHandCursor);
    m_link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(m_link, &QLabel::linkActivated, this, [this] { RunGuarded([this] { openDocument(); }, this); });
    auto *documentPage = new QWidget(this);
    auto *dl = new QVBoxLayout(documentPage);
    dl->setContentsMargins(0, 0, 0, 0);
    dl->addWidget(m_docGrid, 1);
    auto *linkRow = new QHBoxLayout;
    linkRow->setContentsMargins(6, 4, 6, 4);
    linkRow->addWidget(new QLabel(QStringLiteral("megnyit:"), this));
    linkRow->addWidget(m_link, 1);
    dl->addLayout(linkRow);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("pages"));
    m_pages->addTab(commentPage, QStringLiteral("Megjegyzések"));
    m_pages->addTab(documentPage, QStringLiteral("Csatolt dokumentumok"));
    gridRow()->addWidget(m_pages, 1);
    connect(m_pages, &QTabWidget::currentChanged, this, [this] {
        updateCommands();
        (documentsShown() ? static_cast<QWidget *>(m_docGrid) : grid())->setFocus();
    });

    for (zdb::Table *tbl : {m_comments, m_documents}) {
        auto follow = [this, tbl] {
            if (tbl == m_comments)
                showCurrentComment();
            else
                showCurrentDocument();
            updateCommands();
        };
        connect(tbl, &zdb::RecordSet::reset, this, follow);
        connect(tbl, &zdb::RecordSet::currentChanged, this, follow);
        connect(tbl, &zdb::RecordSet::rowChanged, this, follow);
        connect(tbl, &zdb::RecordSet::rowRemoved, this, follow);
        connect(tbl, &zdb::RecordSet::rowInserted, this, follow);
    }

    const QString filter = CommentLinkField(linkKind) + QStringLiteral("=?");
    openFiltered(filter, {ownerId});
    m_documents->setFilter(filter, {ownerId});
    m_documents->setFiltered(true);
    m_documents->open();
    m_docGrid->syncFromRecordSet();
    resize(600, 440);
}

Tfrm_Megjegyzes::~Tfrm_Megjegyzes() = default;

bool Tfrm_Megjegyzes::documentsShown() const
{
    return m_pages->currentIndex() == 1;
}

zdb::Table *Tfrm_Megjegyzes::shownTable() const
{
    return documentsShown() ? m_documents : m_comments;
}

bool Tfrm_Megjegyzes::hasAny() const
{
    // Counted in the file: the record sets may be closed or filtered otherwise.
    zdb::Query qry(Db1());
    const QString field = CommentLinkField(m_linkKind);
    qry.setSql(QStringLiteral("SELECT (SELECT COUNT(*) FROM megjegyzes WHERE %1=:id) + "
                              "(SELECT COUNT(*) FROM doksi WHERE %1=:id) AS db")
                   .arg(field));
    qry.setParam(QStringLiteral("id"), m_ownerId);
    qry.open();
    return qry.value(0).toInt() > 0;
}

void Tfrm_Megjegyzes::updateCommands()
{
    const zdb::Table *tbl = shownTable();
    const bool hasRow = tbl->isOpen() && tbl->currentRow() >= 0;
    for (QAction *a : {aSzerkeszt, aTorol, aLevelben})
        a->setEnabled(hasRow);
}

void Tfrm_Megjegyzes::showCurrentComment()
{
    QString text = CommentTextToShow(currentText(m_comments, QStringLiteral("szoveg")));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (m_text->toPlainText() != text)
        m_text->setPlainText(text);
}

void Tfrm_Megjegyzes::showCurrentDocument()
{
    const QString path = currentText(m_documents, QStringLiteral("fileban"));
    m_link->setText(path.isEmpty() ? QString()
                                   : QStringLiteral("<a href=\"open\">%1</a>").arg(path.toHtmlEscaped()));
}

void Tfrm_Megjegyzes::newRow()
{
    if (documentsShown()) {
        EditDocument(m_documents, true, m_linkKind, m_ownerId, m_ownerName);
        m_docGrid->syncFromRecordSet();
    } else {
        EditComment(m_comments, true, m_linkKind, m_ownerId, m_ownerName);
        grid()->syncFromRecordSet();
    }
}

void Tfrm_Megjegyzes::editRow()
{
    // An empty page has nothing to edit (an edit would start an unlinked row).
    zdb::Table *tbl = shownTable();
    if (!tbl->isOpen() || tbl->currentRow() < 0)
        return;
    if (documentsShown())
        EditDocument(tbl, false, m_linkKind, m_ownerId, m_ownerName);
    else
        EditComment(tbl, false, m_linkKind, m_ownerId, m_ownerName);
    (documentsShown() ? m_docGrid : grid())->syncFromRecordSet();
}

void Tfrm_Megjegyzes::deleteRow()
{
    zdb::Table *tbl = shownTable();
    if (!tbl->isOpen() || tbl->currentRow() < 0)
        return;
    const QString question = documentsShown() ? QStringLiteral("Valóban töröljem a bejegyzést?")
                                              : QStringLiteral("Valóban töröljem a megjegyzést?");
    if (!AskYesNo(question, QStringLiteral("Megerősítés"), this))
        return;
    // Only the reference goes; the document's file stays where it is.
    tbl->remove();
}

void Tfrm_Megjegyzes::openDocument()
{
    const QString path = currentText(m_documents, QStringLiteral("fileban"));
    if (!path.isEmpty())
        OpenDocumentFile(path);
}

void Tfrm_Megjegyzes::sendByMail()
{
    zdb::Table *tbl = shownTable();
    if (!tbl->isOpen() || tbl->currentRow() < 0)
        return;
    const bool document = documentsShown();
    const QString subject = tbl->text(QStringLiteral("rovid"));
    const QString body = document ? QStringLiteral("Dokumentum küldése") : tbl->text(QStringLiteral("szoveg"));
    const QString stored = document ? tbl->text(QStringLiteral("fileban")) : QString();
    // Found where the link finds it: a relative path from the program folder.
    const QString attachment = DocumentFilePath(stored);
    if (document && (attachment.isEmpty() || !QFileInfo(attachment).isFile())) {
        // The mail client would send the message without it, or not start at all.
        ShowError(QStringLiteral("A csatolandó dokumentum nem található ezen a gépen:\n%1").arg(stored), this);
        return;
    }
    QString name;
    QString email;
    if (PickCustomerWithEmail(-1, name, email) == -1)
        return;
    // A failed hand-off is reported by SendMail itself, once.
    SendMail(subject, body, attachment, email, name, Beall().SenderEmail, Beall().SenderName);
}

QString Tfrm_Megjegyzes::outputTitle() const
{
    return documentsShown() ? QStringLiteral("Csatolt dokumentumok") : QStringLiteral("Megjegyzések");
}

QString Tfrm_Megjegyzes::outputSubtitle() const
{
    return currentText(shownTable(), QStringLiteral("azonstr"));
}

DataGrid *Tfrm_Megjegyzes::outputGrid() const
{
    return documentsShown() ? m_docGrid : grid();
}

zdb::RecordSet *Tfrm_Megjegyzes::outputRecordSet() const
{
    return shownTable();
}

void Tfrm_Megjegyzes::printList(bool print)
{
    // The comments sheet, whichever page is shown.
    PrintCommentSheet(m_linkKind, m_ownerId, m_ownerName, print);
}

void Tfrm_Megjegyzes::done(int result)
{
    if (m_documents->isOpen()) {
        if (m_documents->isEditing())
            m_documents->cancel();
        m_documents->close();
    }
    ListDialog::done(result);
}

void ShowComments(int linkKind, int ownerId, const QString &ownerName)
{
    bool any = false;
    {
        Tfrm_Megjegyzes dlg(linkKind, ownerId, ownerName, DialogParent());
        execDialog(&dlg);
        any = dlg.hasAny();
    }
    UpdateCommentFlag(linkKind, ownerId, any);
}
