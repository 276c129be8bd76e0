#include "masterdata/commenteditor.h"

#include "masterdata/comments.h"
#include "app/helpers/descriptioneditor.h"

#include "app/helpers/actions.h"
#include "app/helpers/datefield.h"
#include "app/helpers/helpers.h"
#include "app/helpers/testhooks.h"

#include "db/catalog.h"
#include "db/codec.h"
#include "db/recordset.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

int columnSize(const QString &table, const QString &field)
{
    const zdb::FieldDef *f = zdb::CatalogueTable(table).find(field);
    return f ? f->size : 0;
}

// Date, short text and the rows the editor adds below them.
QGridLayout *addCommonRows(QDialog *dlg, FieldBinder &binder, DateField *&datum, QLineEdit *&rovid)
{
    datum = new DateField(dlg);
    datum->setObjectName(QStringLiteral("dtDatum"));
    binder.date(datum, QStringLiteral("datum"));
    rovid = new QLineEdit(dlg);
    rovid->setObjectName(QStringLiteral("edRovid"));
    binder.text(rovid, QStringLiteral("rovid"));
    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("dátum"), dlg), 0, 0);
    grid->addWidget(datum, 0, 1, Qt::AlignLeft);
    grid->addWidget(new QLabel(QStringLiteral("rövid"), dlg), 1, 0);
    grid->addWidget(rovid, 1, 1, 1, 2);
    return grid;
}

// False, after telling the user, when the path does not fit its column: too
// long, or holding a letter the database's code page lacks (it would be
// stored as "?" and name no file).
bool pathFits(const QString &path, QWidget *owner)
{
    QString foreign;
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t c = path.at(i).unicode();
        if (c >= 0x80 && zdb::cp1250Byte(c) == 0) {
            // A surrogate pair is one letter.
            const bool pair = QChar::isHighSurrogate(c) && i + 1 < path.size() && path.at(i + 1).isLowSurrogate();
            foreign = path.mid(i, pair ? 2 : 1);
            break;
        }
    }
    if (!foreign.isEmpty()) {
        ShowError(QStringLiteral("A file útvonalában olyan betű van („%1”), amelyet az adatbázis nem tud tárolni:\n%2\n"
                                 "Nevezze át a file-t vagy a mappáját, és válassza ki újra.")
                      .arg(foreign, path),
                  owner);
        return false;
    }
    const int room = columnSize(QStringLiteral("doksi"), QStringLiteral("fileban"));
    if (room <= 0 || path.size() <= room)
        return true;
    ShowError(QStringLiteral("A file útvonala túl hosszú (%1 karakter, legfeljebb %2 fér el):\n%3")
                  .arg(path.size())
                  .arg(room)
                  .arg(path),
              owner);
    return false;
}

void putText(zdb::Table *tbl, const QString &field, const QString &text)
{
    if (tbl->text(field) != text)
        tbl->setValue(field, text);
}

bool runOn(zdb::Table *tbl, RecordEditor &dlg, bool isNew, int linkKind, int ownerId, const QString &ownerName)
{
    return RunRecordEditor(tbl, dlg, isNew, [tbl, linkKind, ownerId, ownerName] {
        tbl->setValue(QStringLiteral("datum"), QDate::currentDate());
        tbl->setValue(CommentLinkField(linkKind), ownerId);
        tbl->setValue(QStringLiteral("azonstr"), ownerName);
    });
}

} // namespace

QString CommentTextToStore(const QString &text)
{
    // The editor's last line has no line end of its own; the stored form gives it one.
    return text.isEmpty() ? QString() : DescriptionEditor::withCrLf(text) + kCrLf;
}

QString CommentTextToShow(const QString &stored)
{
    QString out = stored;
    if (out.endsWith(kCrLf))
        out.chop(2);
    else if (out.endsWith(QLatin1Char('\n')))
        out.chop(1);
    return out;
}

// ---- comment -----------------------------------------------------------------

Tfrm_MegjSzerkeszt::Tfrm_MegjSzerkeszt(zdb::Table *tbl, QWidget *parent)
    : RecordEditor(tbl, QStringLiteral("frm_MegjSzerkeszt"), QStringLiteral("Megjegyzés"), parent)
{
    QGridLayout *grid = addCommonRows(this, bind(), m_datum, m_rovid);
    m_szoveg = new DescriptionEditor(this);
    m_szoveg->setObjectName(QStringLiteral("edSzoveg"));
    // Bound by hand: the stored text carries a line end after its last line.
    m_szoveg->setMaxLength(bind().sizeOf(QStringLiteral("szoveg")));
    m_szoveg->setMinimumSize(420, 200);
    grid->addWidget(new QLabel(QStringLiteral("megjegyzés"), this), 2, 0, Qt::AlignTop);
    grid->addWidget(m_szoveg, 2, 1, 1, 2);
    grid->setColumnStretch(2, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addLayout(buttonRow());
    setTabOrder(m_datum, m_rovid);
    setTabOrder(m_rovid, m_szoveg);
    setTabOrder(m_szoveg, okButton());
    setTabOrder(okButton(), cancelButton());
    m_datum->setFocus();
}

void Tfrm_MegjSzerkeszt::loadFields()
{
    zdb::Table *tbl = table();
    m_szoveg->setPlainText(CommentTextToShow(tbl->text(QStringLiteral("szoveg"))));
}

void Tfrm_MegjSzerkeszt::storeFields()
{
    zdb::Table *tbl = table();
    // An untouched text is kept as stored, however long another program made it.
    if (m_szoveg->userModified())
        putText(tbl, QStringLiteral("szoveg"),
                DescriptionEditor::cutTo(CommentTextToStore(m_szoveg->text()), m_szoveg->maxLength()));
}

// ---- document ----------------------------------------------------------------

Tfrm_DoksiSzerkeszt::Tfrm_DoksiSzerkeszt(zdb::Table *tbl, QWidget *parent)
    : RecordEditor(tbl, QStringLiteral("frm_DoksiSzerkeszt"), QStringLiteral("Megjegyzés"), parent)
{
    QGridLayout *grid = addCommonRows(this, bind(), m_datum, m_rovid);
    m_file = new QLineEdit(this);
    m_file->setObjectName(QStringLiteral("edFileban"));
    m_file->setMinimumWidth(380);
    m_browse = new QToolButton(this);
    m_browse->setObjectName(QStringLiteral("btTalloz"));
    m_browse->setIcon(ZIcon(QStringLiteral("megnyit")));
    m_browse->setToolTip(QStringLiteral("Tallózás"));
    connect(m_browse, &QToolButton::clicked, this, &Tfrm_DoksiSzerkeszt::browse);
    grid->addWidget(new QLabel(QStringLiteral("file"), this), 2, 0);
    grid->addWidget(m_file, 2, 1);
    grid->addWidget(m_browse, 2, 2);
    grid->setColumnStretch(1, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttonRow());
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setTabOrder(m_datum, m_rovid);
    setTabOrder(m_rovid, m_file);
    setTabOrder(m_file, m_browse);
    setTabOrder(m_browse, okButton());
    setTabOrder(okButton(), cancelButton());
    m_datum->setFocus();
}

void Tfrm_DoksiSzerkeszt::browse()
{
    const QString start = QFileInfo(m_file->text().trimmed()).absolutePath();
    const QString chosen = chooseOpenFile(this, QStringLiteral("Megnyitás"), start, QStringLiteral("Minden file (*)"));
    if (!chosen.isEmpty()) {
        const QString path = QDir::toNativeSeparators(QFileInfo(chosen).absoluteFilePath());
        if (pathFits(path, this))
            m_file->setText(path);
    }
    okButton()->setFocus();
}

void Tfrm_DoksiSzerkeszt::loadFields()
{
    zdb::Table *tbl = table();
    m_file->setText(tbl->text(QStringLiteral("fileban")));
}

bool Tfrm_DoksiSzerkeszt::readyToStore()
{
    // A path cut to the column would name another file, or none.
    if (pathFits(m_file->text(), this))
        return true;
    m_file->setFocus();
    return false;
}

void Tfrm_DoksiSzerkeszt::storeFields()
{
    zdb::Table *tbl = table();
    putText(tbl, QStringLiteral("fileban"), m_file->text());
}

bool EditComment(zdb::Table *tbl, bool isNew, int linkKind, int ownerId, const QString &ownerName)
{
    Tfrm_MegjSzerkeszt dlg(tbl, DialogParent());
    return runOn(tbl, dlg, isNew, linkKind, ownerId, ownerName);
}

bool EditDocument(zdb::Table *tbl, bool isNew, int linkKind, int ownerId, const QString &ownerName)
{
    Tfrm_DoksiSzerkeszt dlg(tbl, DialogParent());
    return runOn(tbl, dlg, isNew, linkKind, ownerId, ownerName);
}
