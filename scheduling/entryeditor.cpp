#include "scheduling/entryeditor.h"

#include "app/helpers/descriptioneditor.h"
#include "scheduling/entries.h"
#include "scheduling/prioritychooser.h"
#include "scheduling/records.h"

#include "app/helpers/actions.h"
#include "app/helpers/appcore.h"
#include "app/helpers/guard.h"
#include "app/helpers/helpers.h"
#include "app/helpers/testhooks.h"

#include "db/recordset.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const char *const kLinkLabel[] = {"ügyfél", "termék", "projekt"};
const char *const kLinkObject[] = {"Ugyfel", "Termek", "Projekt"};
const char *const kLinkHint[] = {"Ügyfél kiválasztása", "Termék kiválasztása", "Projekt kiválasztása"};

QString linkIdField(int kind)
{
    return zdb::CatalogueLink(kind).idField;
}

QString linkNameField(int kind)
{
    return zdb::CatalogueLink(kind).nameField;
}

// Shown, never typed into: skipped by Tab and drawn on the window colour.
QLineEdit *readOnlyText(QWidget *parent, const QString &objectName)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(objectName);
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::NoFocus);
    QPalette pal = edit->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Window));
    edit->setPalette(pal);
    return edit;
}

QToolButton *pickerButton(QWidget *parent, const QString &objectName, const QString &icon, const QString &hint)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(objectName);
    button->setIcon(ZIcon(icon));
    button->setToolTip(hint);
    button->setAccessibleName(hint);
    button->setFocusPolicy(Qt::StrongFocus);
    button->setAutoRaise(false);
    return button;
}

} // namespace

// ---- EntryEditor ------------------------------------------------------------

EntryEditor::EntryEditor(zdb::Table *tbl, const QString &formName, const QString &caption,
                         const QString &firstPage, QWidget *parent)
    : RecordEditor(tbl, formName, caption, parent)
{
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    auto *fieldsPage = new QWidget;
    fieldsPage->setObjectName(QStringLiteral("tsAdatok"));
    m_grid = new QGridLayout(fieldsPage);
    m_grid->setColumnStretch(1, 1);
    m_grid->setHorizontalSpacing(8);
    m_grid->setVerticalSpacing(6);
    m_pages->addTab(fieldsPage, firstPage);

    auto *descriptionPage = new QWidget;
    descriptionPage->setObjectName(QStringLiteral("tsLeiras"));
    m_description = new DescriptionEditor(descriptionPage);
    m_description->setObjectName(QStringLiteral("edLeiras"));
    bind().memo(m_description, QStringLiteral("leiras"));
    auto *descriptionLayout = new QVBoxLayout(descriptionPage);
    descriptionLayout->setContentsMargins(2, 2, 2, 2);
    descriptionLayout->addWidget(m_description);
    m_pages->addTab(descriptionPage, QStringLiteral("Leírás"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pages, 1);
    layout->addLayout(buttonRow());
}

EntryEditor::~EntryEditor() = default;

DateField *EntryEditor::addDateRow(const QString &label, const QString &objectName)
{
    auto *field = new DateField(m_grid->parentWidget());
    field->setObjectName(objectName);
    const int row = m_grid->rowCount();
    m_grid->addWidget(new QLabel(label), row, 0);
    m_grid->addWidget(field, row, 1, Qt::AlignLeft);
    return field;
}

QLineEdit *EntryEditor::addLineRow(const QString &label, const QString &objectName)
{
    auto *edit = new QLineEdit(m_grid->parentWidget());
    edit->setObjectName(objectName);
    const int row = m_grid->rowCount();
    m_grid->addWidget(new QLabel(label), row, 0);
    m_grid->addWidget(edit, row, 1, 1, 2);
    return edit;
}

void EntryEditor::addCommonRows()
{
    QWidget *page = m_grid->parentWidget();
    for (int kind = 0; kind < 3; ++kind) {
        const QString object = QString::fromLatin1(kLinkObject[kind]);
        m_links[kind] = readOnlyText(page, QStringLiteral("ed") + object);
        m_linkButtons[kind] = pickerButton(page, QStringLiteral("bt") + object, linkIdField(kind),
                                           QString::fromUtf8(kLinkHint[kind]));
        const int row = m_grid->rowCount();
        m_grid->addWidget(new QLabel(QString::fromUtf8(kLinkLabel[kind])), row, 0);
        m_grid->addWidget(m_links[kind], row, 1);
        m_grid->addWidget(m_linkButtons[kind], row, 2);
        connect(m_linkButtons[kind], &QToolButton::clicked, this, [this, kind] {
            RunGuarded([this, kind] { pickLink(kind); }, this);
        });
    }

    m_file = readOnlyText(page, QStringLiteral("edFileban"));
    m_fileButton = pickerButton(page, QStringLiteral("btFileban"), QStringLiteral("fajl"), QStringLiteral("File kiválasztása"));
    int row = m_grid->rowCount();
    m_grid->addWidget(new QLabel(QStringLiteral("fileban")), row, 0);
    m_grid->addWidget(m_file, row, 1);
    m_grid->addWidget(m_fileButton, row, 2);
    connect(m_fileButton, &QToolButton::clicked, this, [this] { RunGuarded([this] { chooseFile(); }, this); });

    m_priority = new PriorityChooser(page);
    m_priority->setObjectName(QStringLiteral("cbFontos"));
    row = m_grid->rowCount();
    m_grid->addWidget(new QLabel(QStringLiteral("fontos")), row, 0);
    m_grid->addWidget(m_priority, row, 1, Qt::AlignLeft);

    m_done = new QCheckBox(page);
    m_done->setObjectName(QStringLiteral("cbKesz"));
    m_done->setFocusPolicy(Qt::NoFocus);
    m_done->setAttribute(Qt::WA_TransparentForMouseEvents);   // shown, not set, here
    m_doneDate = readOnlyText(page, QStringLiteral("edDatKesz"));
    m_doneDate->setFixedWidth(m_doneDate->fontMetrics().horizontalAdvance(QStringLiteral("0000.00.00.")) + 16);
    auto *doneRow = new QHBoxLayout;
    doneRow->setSpacing(8);
    doneRow->addWidget(m_done);
    doneRow->addWidget(m_doneDate);
    doneRow->addStretch(1);
    row = m_grid->rowCount();
    m_grid->addWidget(new QLabel(QStringLiteral("kész?")), row, 0);
    m_grid->addLayout(doneRow, row, 1, 1, 2);
    m_grid->setRowStretch(row + 1, 1);
}

void EntryEditor::finishTabOrder(const QList<QWidget *> &first)
{
    QList<QWidget *> order = first;
    for (QToolButton *button : m_linkButtons)
        order << button;
    order << m_fileButton << m_priority << m_description << okButton() << cancelButton() << m_pages->tabBar();
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));
    if (!first.isEmpty())
        first.first()->setFocus(Qt::OtherFocusReason);
}

void EntryEditor::loadFields()
{
    for (int kind = 0; kind < 3; ++kind)
        m_links[kind]->setText(table()->text(linkNameField(kind)));
    m_file->setText(table()->text(QStringLiteral("fileban")));
    m_file->setCursorPosition(0);
    const QVariant fontos = table()->value(QStringLiteral("fontos"));
    m_priority->setValue(fontos.isValid() ? fontos.toInt() : -1);
    m_done->setChecked(IsDoneFlag(table()->text(QStringLiteral("kesz"))));
    const QDate doneDate = table()->value(QStringLiteral("dat_kesz")).toDate();
    m_doneDate->setText(doneDate.isValid() ? doneDate.toString(QStringLiteral("yyyy.MM.dd.")) : QString());
    loadOwnFields();
}

void EntryEditor::focusField(QWidget *field)
{
    m_pages->setCurrentIndex(0);
    field->setFocus(Qt::OtherFocusReason);
}

void EntryEditor::storeFields()
{
    storeOwnFields();
    // Rows written by other programs may hold a priority outside the four
    // pictures; it stays as it is unless the user chose one.
    const QVariant fontos = table()->value(QStringLiteral("fontos"));
    if (m_priority->value() >= 0 && (!fontos.isValid() || fontos.toInt() != m_priority->value()))
        table()->setValue(QStringLiteral("fontos"), m_priority->value());
}

void EntryEditor::pickLink(int kind)
{
    const QString idField = linkIdField(kind);
    const QString nameField = linkNameField(kind);
    const int current = VarToIntNull(table()->value(idField));
    QString name = table()->text(nameField);
    int chosen = -1;
    switch (kind) {
    case LinkCustomer: chosen = PickCustomer(current, name); break;
    case LinkProduct: chosen = PickProduct(current, name); break;
    default: chosen = PickProject(current, name); break;
    }
    if (chosen == -1)
        return;
    table()->setValue(idField, chosen);
    table()->setValue(nameField, name);
    m_links[kind]->setText(table()->text(nameField));
    m_links[kind]->setCursorPosition(0);
}

void EntryEditor::chooseFile()
{
    const QString current = table()->text(QStringLiteral("fileban"));
    const QString dir = current.isEmpty() ? QString() : QFileInfo(current).absolutePath();
    const QString chosen = chooseOpenFile(this, QStringLiteral("File kiválasztása"), dir,
                                          QStringLiteral("Minden file (*)"));
    if (chosen.isEmpty())
        return;
    table()->setValue(QStringLiteral("fileban"), QDir::toNativeSeparators(QFileInfo(chosen).absoluteFilePath()));
    m_file->setText(table()->text(QStringLiteral("fileban")));
    m_file->setCursorPosition(0);
}

// ---- running an editor ------------------------------------------------------

namespace {

void presetLink(zdb::Table *tbl, int linkKind, int linkId, const QString &linkName)
{
    if (linkId == -1 || linkKind < LinkCustomer || linkKind > LinkProject)
        return;
    tbl->setValue(linkIdField(linkKind), linkId);
    tbl->setValue(linkNameField(linkKind), linkName);
}

} // namespace

void RunEntryEditor(zdb::Table *tbl, EntryEditor &editor, bool isNew, const std::function<void()> &presetNew,
                    int linkKind, int linkId, const QString &linkName)
{
    RunRecordEditor(tbl, editor, isNew, [&] {
        if (presetNew)
            presetNew();
        presetLink(tbl, linkKind, linkId, linkName);
    });
}
