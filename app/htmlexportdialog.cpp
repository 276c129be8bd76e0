#include "app/htmlexportdialog.h"

#include "output/htmlexport.h"

#include "app/helpers/actions.h"
#include "app/helpers/appcore.h"
#include "app/helpers/datagrid.h"
#include "app/helpers/guard.h"
#include "app/helpers/helpers.h"
#include "app/helpers/mail.h"
#include "app/helpers/testhooks.h"

#include <QCheckBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kFormName = QStringLiteral("frm_HtmlExport");

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString defaultFolder()
{
    QString dir = Beall().HtmlDir.isEmpty() ? ProgramPath(QStringLiteral("Html")) : Beall().HtmlDir;
    dir = QDir::fromNativeSeparators(dir);
    while (dir.size() > 1 && dir.endsWith(QLatin1Char('/')))
        dir.chop(1);
    return dir;
}

} // namespace

// ---- the dialog -------------------------------------------------------------

Tfrm_HtmlExport::Tfrm_HtmlExport(DataGrid *grid, const QString &title, const QString &subtitle, QWidget *parent)
    : QDialog(parent), m_grid(grid), m_title(title), m_subtitle(subtitle)
{
    setObjectName(kFormName);
    setWindowTitle(QStringLiteral("HTML export"));

    auto *label = new QLabel(QStringLiteral("Mentés helye"), this);
    m_file = new QLineEdit(this);
    m_file->setObjectName(QStringLiteral("edFajl"));
    label->setBuddy(m_file);
    auto *browse = new QToolButton(this);
    browse->setObjectName(QStringLiteral("btTalloz"));
    browse->setIcon(ZIcon(QStringLiteral("mappa")));
    browse->setToolTip(QStringLiteral("Tallózás"));
    browse->setProperty("zentavoEnterPassesOver", true);
    m_open = new QCheckBox(QStringLiteral("Mentés után megnyitás"), this);
    m_open->setObjectName(QStringLiteral("cbMegnyit"));
    m_open->setChecked(true);
    // The last choice before the buttons: Enter here exports, so Enter in the
    // file name and Enter again write the page.
    m_open->setProperty("zentavoEnterKeepsDefault", true);

    auto *mail = new QPushButton(ZIcon(QStringLiteral("email")), QStringLiteral("E-Mail"), this);
    mail->setObjectName(QStringLiteral("btEmail"));
    mail->setAutoDefault(false);
    auto *ok = new QPushButton(ZIcon(QStringLiteral("ok")), QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("btOK"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(ZIcon(QStringLiteral("megsem")), QStringLiteral("Mégsem"), this);
    cancel->setObjectName(QStringLiteral("btMegsem"));
    cancel->setAutoDefault(false);

    auto *pathRow = new QHBoxLayout;
    pathRow->addWidget(m_file, 1);
    pathRow->addWidget(browse);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(mail);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addLayout(pathRow);
    layout->addWidget(m_open);
    layout->addSpacing(6);
    layout->addLayout(buttons);

    connect(browse, &QToolButton::clicked, this, Guarded([this] { this->browse(); }));
    connect(mail, &QPushButton::clicked, this, Guarded([this] { mailPage(); }));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    setFileName(defaultFolder() + QLatin1Char('/') + SafeFileName(title) + QStringLiteral(".htm"));
    resize(460, sizeHint().height());
    m_file->setFocus(Qt::OtherFocusReason);
}

QString Tfrm_HtmlExport::fileName() const
{
    return m_file->text();
}

void Tfrm_HtmlExport::setFileName(const QString &path)
{
    m_file->setText(shown(path));
}

QString Tfrm_HtmlExport::pagePath() const
{
    const QString typed = QDir::fromNativeSeparators(fileName().trimmed());
    if (typed.isEmpty() || QDir::isAbsolutePath(typed))
        return typed;
    return QDir::cleanPath(defaultFolder() + QLatin1Char('/') + typed);
}

bool Tfrm_HtmlExport::openAfterSave() const
{
    return m_open->isChecked();
}

void Tfrm_HtmlExport::writePage()
{
    if (!m_grid)
        return;
    WriteGridHtml(m_grid->shape(), m_title, m_subtitle, pagePath());
}

void Tfrm_HtmlExport::mailPage()
{
    m_open->setChecked(false);
    if (!RunGuarded([this] { writePage(); }, this))
        return;
    // The sender is the user's own address from the settings, and the
    // recipient is left for the user to choose in the mail client: the page
    // goes to nobody the user has not picked.
    SendMail(QStringLiteral("Zentavo program generált levél"), QString(), pagePath(),
             QString(), QString(), Beall().SenderEmail, Beall().SenderName);
}

void Tfrm_HtmlExport::browse()
{
    const QString chosen = chooseSaveFileWithSuffix(this, QStringLiteral("Mentés helye"), fileName(),
                                                    QStringLiteral("HTML dokumentum (*.htm *.html)"), QStringLiteral("htm"));
    if (chosen.isEmpty())
        return;
    setFileName(chosen);
}

void Tfrm_HtmlExport::done(int result)
{
    RememberFormPosition(this, kFormName);
    QDialog::done(result);
}

void Tfrm_HtmlExport::showEvent(QShowEvent *event)
{
    if (!m_positioned) {
        m_positioned = true;
        RestoreFormPosition(this, kFormName);
    }
    QDialog::showEvent(event);
}

void ExportGridToHtml(DataGrid *grid, const QString &title, const QString &subtitle)
{
    if (!grid)
        return;
    Tfrm_HtmlExport dialog(grid, title, subtitle, grid->window());
    if (execDialog(&dialog) != QDialog::Accepted)
        return;
    const QString path = dialog.pagePath();
    const bool open = dialog.openAfterSave();
    RunGuarded(
        [&] {
            dialog.writePage();
            if (open)
                OpenDocument(path);
        },
        grid->window());
}
