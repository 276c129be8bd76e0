#include "app/delimitedexportdialog.h"

#include "output/delimitedexport.h"

#include "app/helpers/actions.h"
#include "app/helpers/guard.h"
#include "app/helpers/helpers.h"
#include "app/helpers/testhooks.h"

#include "db/dberror.h"
#include "db/recordset.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QScopeGuard>
#include <QToolButton>
#include <QVBoxLayout>

// ---- dialog --------------------------------------------------------------------

namespace {

const char *const kFormName = "frm_Excelbe";

QRadioButton *addOption(QGroupBox *box, QButtonGroup *group, const QString &caption, const QString &objectName)
{
    auto *button = new QRadioButton(caption, box);
    button->setObjectName(objectName);
    group->addButton(button);
    box->layout()->addWidget(button);
    return button;
}

} // namespace

Tfrm_Excelbe::Tfrm_Excelbe(zdb::RecordSet *recordSet, QWidget *parent)
    : QDialog(parent), m_rs(recordSet)
{
    setObjectName(QLatin1String(kFormName));
    setWindowTitle(QStringLiteral("Határolt szöveg export"));
    setWindowIcon(ZIcon(QStringLiteral("excel")));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    // Field list with its two buttons on the left.
    m_fields = new QListWidget(this);
    m_fields->setObjectName(QStringLiteral("lbMezok"));
    m_fields->setMinimumWidth(190);
    if (m_rs) {
        const QStringList names = m_rs->fieldNames();
        for (int i = 0; i < names.size(); ++i) {
            auto *item = new QListWidgetItem(names[i], m_fields);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Checked);
            item->setData(Qt::UserRole, i);
        }
    }
    m_all = new QPushButton(QStringLiteral("összes"), this);
    m_all->setObjectName(QStringLiteral("btOsszes"));
    m_none = new QPushButton(QStringLiteral("egyik sem"), this);
    m_none->setObjectName(QStringLiteral("btEgyikSem"));
    auto *fieldButtons = new QHBoxLayout;
    fieldButtons->addWidget(m_all);
    fieldButtons->addWidget(m_none);
    auto *left = new QVBoxLayout;
    left->addWidget(m_fields, 1);
    left->addLayout(fieldButtons);

    // Settings on the right.
    auto *separatorBox = new QGroupBox(QStringLiteral("Határoló karakter"), this);
    separatorBox->setObjectName(QStringLiteral("rgHatarolo"));
    separatorBox->setLayout(new QVBoxLayout);
    auto *separatorGroup = new QButtonGroup(this);
    m_separators = {addOption(separatorBox, separatorGroup, QStringLiteral("Pontosvessző (;)"), QStringLiteral("rbPontosvesszo")),
                    addOption(separatorBox, separatorGroup, QStringLiteral("Tabulátor"), QStringLiteral("rbTabulator")),
                    addOption(separatorBox, separatorGroup, QStringLiteral("Vessző (,)"), QStringLiteral("rbVesszo")),
                    addOption(separatorBox, separatorGroup, QStringLiteral("Cső (|)"), QStringLiteral("rbCso"))};
    m_separators[0]->setChecked(true);

    auto *qualifierBox = new QGroupBox(QStringLiteral("Szövegjelölő"), this);
    qualifierBox->setObjectName(QStringLiteral("rgSzovegjelolo"));
    qualifierBox->setLayout(new QVBoxLayout);
    auto *qualifierGroup = new QButtonGroup(this);
    m_qualifiers = {addOption(qualifierBox, qualifierGroup, QStringLiteral("Idézőjel (\")"), QStringLiteral("rbIdezojel")),
                    addOption(qualifierBox, qualifierGroup, QStringLiteral("Aposztróf (')"), QStringLiteral("rbAposztrof")),
                    addOption(qualifierBox, qualifierGroup, QStringLiteral("Semmi"), QStringLiteral("rbSemmi"))};
    m_qualifiers[2]->setChecked(true);
    // The shorter group keeps its items at the top, spaced like the other's.
    static_cast<QVBoxLayout *>(separatorBox->layout())->addStretch(1);
    static_cast<QVBoxLayout *>(qualifierBox->layout())->addStretch(1);

    auto *groups = new QHBoxLayout;
    groups->addWidget(separatorBox);
    groups->addWidget(qualifierBox);

    m_multiLine = new QCheckBox(QStringLiteral("Többsoros mezőket is kiírja (egy sorba cső karakter választással)"), this);
    m_multiLine->setObjectName(QStringLiteral("cbTobbsoros"));

    auto *fileLabel = new QLabel(QStringLiteral("Filenév"), this);
    m_fileName = new QLineEdit(this);
    m_fileName->setObjectName(QStringLiteral("edFilenev"));
    m_fileName->setMinimumWidth(300);
    fileLabel->setBuddy(m_fileName);
    m_browse = new QPushButton(ZIcon(QStringLiteral("megnyit")), QString(), this);
    m_browse->setObjectName(QStringLiteral("btTallozas"));
    m_browse->setToolTip(QStringLiteral("Tallózás"));
    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(m_fileName, 1);
    fileRow->addWidget(m_browse);

    m_stop = new QPushButton(QStringLiteral("Megállít"), this);
    m_stop->setObjectName(QStringLiteral("btMegallit"));
    m_stop->setEnabled(false);
    m_start = new QPushButton(ZIcon(QStringLiteral("excel")), QStringLiteral("Export indítás"), this);
    m_start->setObjectName(QStringLiteral("btExport"));
    m_start->setDefault(true);
    m_start->setAutoDefault(true);
    m_close = new QPushButton(ZIcon(QStringLiteral("bezar")), QStringLiteral("Bezár"), this);
    m_close->setObjectName(QStringLiteral("btBezar"));
    m_close->setAutoDefault(false);
    m_stop->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_stop);
    buttons->addWidget(m_start);
    buttons->addWidget(m_close);

    auto *right = new QVBoxLayout;
    right->addLayout(groups);
    right->addWidget(m_multiLine);
    right->addSpacing(6);
    right->addWidget(fileLabel);
    right->addLayout(fileRow);
    right->addStretch(1);
    right->addLayout(buttons);

    auto *top = new QHBoxLayout;
    top->addLayout(left);
    top->addLayout(right, 1);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    m_progress->setTextVisible(false);
    m_progress->setRange(0, 1);
    m_progress->setValue(0);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(m_progress);

    m_settings = {m_fields, m_all, m_none, separatorBox, qualifierBox, m_multiLine, m_fileName, m_browse};

    connect(m_all, &QPushButton::clicked, this, [this] { setAllChecked(true); });
    connect(m_none, &QPushButton::clicked, this, [this] { setAllChecked(false); });
    connect(m_browse, &QPushButton::clicked, this, Guarded([this] { browse(); }));
    connect(m_start, &QPushButton::clicked, this, Guarded([this] { startExport(); }));
    connect(m_stop, &QPushButton::clicked, this, [this] { stopExport(); });
    connect(m_close, &QPushButton::clicked, this, &Tfrm_Excelbe::reject);

    setFixedSize(sizeHint());
    m_fileName->setFocus(Qt::OtherFocusReason);
}

QList<int> Tfrm_Excelbe::checkedFields() const
{
    QList<int> fields;
    for (int i = 0; i < m_fields->count(); ++i) {
        const QListWidgetItem *item = m_fields->item(i);
        if (item->checkState() == Qt::Checked)
            fields.append(item->data(Qt::UserRole).toInt());
    }
    return fields;
}

QChar Tfrm_Excelbe::separator() const
{
    static const QChar chars[] = {QLatin1Char(';'), QLatin1Char('\t'), QLatin1Char(','), QLatin1Char('|')};
    for (int i = 0; i < m_separators.size(); ++i)
        if (m_separators[i]->isChecked())
            return chars[i];
    return chars[0];
}

QChar Tfrm_Excelbe::qualifier() const
{
    if (m_qualifiers[0]->isChecked())
        return QLatin1Char('"');
    if (m_qualifiers[1]->isChecked())
        return QLatin1Char('\'');
    return QChar();
}

bool Tfrm_Excelbe::multiLine() const
{
    return m_multiLine->isChecked();
}

QString Tfrm_Excelbe::fileName() const
{
    return m_fileName->text().trimmed();
}

DelimitedOptions Tfrm_Excelbe::options() const
{
    DelimitedOptions o;
    o.separator = separator();
    o.qualifier = qualifier();
    o.multiLine = multiLine();
    o.fields = checkedFields();
    return o;
}

void Tfrm_Excelbe::setFileName(const QString &fileName)
{
    m_fileName->setText(fileName);
}

void Tfrm_Excelbe::setAllChecked(bool checked)
{
    for (int i = 0; i < m_fields->count(); ++i)
        m_fields->item(i)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void Tfrm_Excelbe::browse()
{
    const QString csv = QStringLiteral("CSV állományok (*.csv)");
    const QString txt = QStringLiteral("Text állományok (*.txt)");
    QString filter = csv;
    // A name without an extension gets the one of the chosen file type.
    const QString path = chooseSaveFileWithSuffix(this, QStringLiteral("Mentés másként"), resolvedFileName(),
                                                  csv + QStringLiteral(";;") + txt + QStringLiteral(";;Minden állomány (*)"),
                                                  QStringLiteral("csv"), &filter);
    if (path.isEmpty())
        return;
    m_folder = QFileInfo(path).absolutePath();
    m_fileName->setText(QDir::toNativeSeparators(path));
}

QString Tfrm_Excelbe::resolvedFileName() const
{
    const QString name = QDir::fromNativeSeparators(fileName());
    if (name.isEmpty() || QDir::isAbsolutePath(name))
        return name;
    // A bare name would land in the program's working folder, which the user
    // never sees: it goes into the folder last chosen here, else into the
    // user's documents.
    QString folder = m_folder;
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    return QDir(folder).absoluteFilePath(name);
}

void Tfrm_Excelbe::setRunning(bool running)
{
    m_running = running;
    for (QWidget *w : std::as_const(m_settings))
        w->setEnabled(!running);
    m_start->setEnabled(!running);
    m_close->setEnabled(!running);
    m_stop->setEnabled(running);
    if (running)
        m_stop->setFocus(Qt::OtherFocusReason);
}

void Tfrm_Excelbe::startExport()
{
    if (m_running)
        return;
    if (fileName().isEmpty()) {
        ShowError(QStringLiteral("Nincs filenév megadva."), this);
        m_fileName->setFocus(Qt::OtherFocusReason);
        return;
    }
    // The box and the message show where the file really goes.
    const QString path = QDir::toNativeSeparators(resolvedFileName());
    m_fileName->setText(path);
    if (runExport(path)) {
        m_progress->setValue(0);
        ShowInfo(path + QStringLiteral(" file kész."), this);
    }
}

bool Tfrm_Excelbe::runExport(const QString &path)
{
    m_stopRequested = false;
    setRunning(true);
    const auto finish = qScopeGuard([this] {
        setRunning(false);
        m_start->setFocus(Qt::OtherFocusReason);
    });

    try {
        if (!m_rs)
            throw zdb::Error(QStringLiteral("Az exportált adathalmaz megszűnt."));
        // Written beside the target and put in its place only when complete:
        // a failed export leaves no file, and an older file survives it.
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            throw zdb::Error(QStringLiteral("A(z) %1 file nem hozható létre: %2").arg(path, file.errorString()));

        m_progress->setRange(0, std::max(1, m_rs->isOpen() ? m_rs->recordCount() : 0));
        m_progress->setValue(0);
        WriteDelimited(*m_rs, options(), file, [this](int done) {
            if (done % kEventInterval == 0) {
                m_progress->setValue(std::min(done, m_progress->maximum()));
                // Lets a click on "Megállít" through.
                QCoreApplication::processEvents();
            }
            return !m_stopRequested;
        });
        // A failed flush (a full disk) must stop the commit, which would put
        // the part written so far over the old file.
        if (!file.flush() || !file.commit())
            throw zdb::Error(QStringLiteral("A(z) %1 file nem írható: %2").arg(path, file.errorString()));
        return true;
    } catch (...) {
        m_progress->setValue(0);
        ShowError(QStringLiteral("Hiba: ") + ExceptionMessage(std::current_exception()), this);
        return false;
    }
}

void Tfrm_Excelbe::stopExport()
{
    if (m_running)
        m_stopRequested = true;
}

void Tfrm_Excelbe::reject()
{
    // Esc or the window's close button during an export stops it; the dialog
    // closes once the user asks again.
    if (m_running) {
        stopExport();
        return;
    }
    QDialog::reject();
}

void Tfrm_Excelbe::closeEvent(QCloseEvent *event)
{
    if (m_running) {
        stopExport();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void Tfrm_Excelbe::showEvent(QShowEvent *event)
{
    if (!m_positioned) {
        m_positioned = true;
        RestoreFormPosition(this, QLatin1String(kFormName));
    }
    QDialog::showEvent(event);
}

void Tfrm_Excelbe::done(int result)
{
    RememberFormPosition(this, QLatin1String(kFormName));
    QDialog::done(result);
}

// ---- entry ---------------------------------------------------------------------

void ExportDelimited(zdb::RecordSet *recordSet)
{
    if (!recordSet)
        return;
    Tfrm_Excelbe dialog(recordSet, DialogParent());
    execDialog(&dialog);
}
