#include "scheduling/noteeditor.h"

#include "app/helpers/descriptioneditor.h"
#include "scheduling/notes.h"

#include "app/helpers/actions.h"
#include "app/helpers/appcore.h"
#include "app/helpers/datefield.h"
#include "app/helpers/guard.h"
#include "app/helpers/helpers.h"
#include "app/helpers/testhooks.h"
#include "app/helpers/core/textfile.h"
#include "app/helpers/textprint.h"

#include "db/catalog.h"
#include "db/recordset.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

const QString kCategory = QStringLiteral("kategoria");
const QString kText = QStringLiteral("szoveg");

// The categories in use, the empty one first.
QStringList categoryList()
{
    zdb::Query qry(Db1(), NoteCategorySql());
    zdb::DeclareFields(qry, QStringLiteral("jegyzet"), {kCategory});
    qry.open();
    QStringList list;
    for (int r = 0; r < qry.recordCount(); ++r)
        list << qry.textAt(r, 0);
    qry.close();
    return list;
}

// A file name without an extension gets ".txt".
} // namespace

QString NoteFileFilter()
{
    return QStringLiteral("Text file-ok (*.txt *.csv);;Minden file (*)");
}

Tfrm_Jegyzet::Tfrm_Jegyzet(zdb::Table *notes, const QStringList &categories, QWidget *parent)
    : RecordEditor(notes, QStringLiteral("frm_Jegyzet"), QStringLiteral("Jegyzet"), parent)
{
    setWindowIcon(ZIcon(QStringLiteral("jegyzet")));
    setSizeGripEnabled(true);

    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("toolBar"));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_toolBar->setIconSize(QSize(16, 16));

    aMegnyit = addCommand(QStringLiteral("aMegnyit"), QStringLiteral("Megnyitás file-ból"), QKeySequence(Qt::CTRL | Qt::Key_O),
                          QStringLiteral("megnyit"), [this] { loadFromFile(); });
    aMent = addCommand(QStringLiteral("aMent"), QStringLiteral("Mentés file-ba"), QKeySequence(Qt::CTRL | Qt::Key_S),
                       QStringLiteral("mentes"), [this] { saveToFile(); });
    aNyomtat = addCommand(QStringLiteral("aNyomtat"), QStringLiteral("Nyomtat"), QKeySequence(Qt::CTRL | Qt::Key_P),
                          QStringLiteral("nyomtat"), [this] { printText(); });
    aElfogad = addCommand(QStringLiteral("aElfogad"), QStringLiteral("OK"), QKeySequence(Qt::CTRL | Qt::Key_Return),
                          QStringLiteral("ok"), [this] { accept(); });
    aElfogad->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    aBezar = addCommand(QStringLiteral("aBezar"), QStringLiteral("Mégsem"), QKeySequence(Qt::Key_Escape),
                        QStringLiteral("megsem"), [this] { reject(); });
    m_toolBar->addAction(aMegnyit);
    m_toolBar->addAction(aMent);
    m_toolBar->addSeparator();
    m_toolBar->addAction(aNyomtat);
    m_toolBar->addSeparator();
    m_toolBar->addAction(aElfogad);
    m_toolBar->addAction(aBezar);
    // The tool bar carries "OK" and "Mégsem" here.
    okButton()->hide();
    cancelButton()->hide();
    okButton()->setDefault(false);

    m_rovid = new QLineEdit(this);
    m_rovid->setObjectName(QStringLiteral("edRovid"));
    bind().text(m_rovid, QStringLiteral("rovid"));
    connect(m_rovid, &QLineEdit::textEdited, this, [this](const QString &text) {
        RunGuarded([&] { table()->setValue(QStringLiteral("rovid"), text); }, this);
    });

    m_category = new QComboBox(this);
    m_category->setObjectName(QStringLiteral("cbKategoria"));
    m_category->setEditable(true);
    m_category->setInsertPolicy(QComboBox::NoInsert);
    m_category->addItems(categories);
    bind().text(m_category, kCategory);
    // Typed letters become lower case at once, as the category is kept.
    connect(m_category->lineEdit(), &QLineEdit::textEdited, this, [this](const QString &text) {
        const QString lower = text.toLower();
        if (lower != text) {
            const int cursor = m_category->lineEdit()->cursorPosition();
            m_category->lineEdit()->setText(lower);
            m_category->lineEdit()->setCursorPosition(cursor);
        }
    });

    m_date = new DateField(this);
    m_date->setObjectName(QStringLiteral("edDatum"));
    bind().date(m_date, QStringLiteral("datum"));

    m_text = new DescriptionEditor(this);
    m_text->setObjectName(QStringLiteral("edSzoveg"));
    bind().memo(m_text, kText);
    // Notes are read and printed in a fixed-pitch font, as the notes window shows them.
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    auto *fields = new QFormLayout;
    fields->addRow(QStringLiteral("rövid"), m_rovid);
    fields->addRow(QStringLiteral("kategória"), m_category);
    fields->addRow(QStringLiteral("dátum"), m_date);
    m_date->setMaximumWidth(140);

    auto *layout = new QVBoxLayout(this);
    layout->setMenuBar(m_toolBar);
    layout->addLayout(fields);
    layout->addWidget(m_text, 1);
    setTabOrder(m_rovid, m_category);
    setTabOrder(m_category, m_date);
    setTabOrder(m_date, m_text);
    resize(560, 440);
}

QAction *Tfrm_Jegyzet::addCommand(const QString &objectName, const QString &caption, const QKeySequence &shortcut,
                                  const QString &iconName, std::function<void()> run)
{
    QAction *a = MakeAction(this, objectName, caption, caption, shortcut, iconName);
    a->setShortcutContext(Qt::WindowShortcut);
    addAction(a);
    connect(a, &QAction::triggered, this, [this, run = std::move(run)] { RunGuarded(run, this); });
    return a;
}

void Tfrm_Jegyzet::loadFromFile()
{
    const QString path = chooseOpenFile(this, QStringLiteral("Megnyitás file-ból"), QString(), NoteFileFilter());
    if (path.isEmpty())
        return;
    m_text->setText(ReadTextFile(path));
}

void Tfrm_Jegyzet::saveToFile()
{
    const QString chosen = chooseSaveFileWithSuffix(this, QStringLiteral("Mentés file-ba"), QString(), NoteFileFilter(),
                                                    QStringLiteral("txt"));
    if (chosen.isEmpty())
        return;
    WriteTextFile(chosen, m_text->text());
}

void Tfrm_Jegyzet::printText()
{
    PlainTextPage page;
    page.docName = QStringLiteral("Jegyzet");
    page.font = m_text->font();
    PrintPlainTextOnDefaultPrinter(m_text->text(), page);
}

QString EditNote(zdb::Table *notes, bool isNew)
{
    const QStringList categories = categoryList();
    Tfrm_Jegyzet editor(notes, categories, DialogParent());
    QString category;
    const bool stored = RunRecordEditor(notes, editor, isNew, [notes] {
        notes->setValue(QStringLiteral("datum"), QDate::currentDate());
    });
    if (!stored)
        return {};
    category = notes->text(kCategory);
    // A category listed after the empty entry is already known.
    if (category.isEmpty() || categories.indexOf(category) > 0)
        return {};
    return category;
}
