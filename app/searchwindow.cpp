#include "app/searchwindow.h"

#include "app/mainwindow.h"
#include "app/helpers/appcore.h"
#include "app/helpers/guard.h"
#include "app/helpers/helpers.h"
#include "app/helpers/listchild.h"
#include "db/catalog.h"
#include "db/connection.h"
#include "db/recordset.h"
#include "masterdata/commenteditor.h"
#include "masterdata/entries.h"
#include "scheduling/calendarwindow.h"
#include "scheduling/noteeditor.h"
#include "scheduling/notes.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// A pause long enough to let a word be typed, short enough to feel live.
constexpr int kTypingPauseMs = 200;
constexpr int kResultLimit = 300;
constexpr int kPerKind = 30;

QPointer<Tfrm_Kereses> g_window;

int listKindOf(int searchKind)
{
    switch (searchKind) {
    case zdb::SearchCustomer:
    case zdb::SearchEmployee:
        return KindCustomers;
    case zdb::SearchProduct:
        return KindProducts;
    case zdb::SearchProject:
        return KindProjects;
    case zdb::SearchTask:
        return KindTasks;
    case zdb::SearchCalendar:
        return KindCalendar;
    case zdb::SearchNote:
        return KindNotes;
    default:
        return 0;
    }
}

QString idFieldOfList(int listKind)
{
    switch (listKind) {
    case KindCustomers: return QStringLiteral("ugyfel");
    case KindProducts: return QStringLiteral("termek");
    case KindProjects: return QStringLiteral("projekt");
    case KindTasks: return QStringLiteral("dolog3");
    case KindCalendar: return QStringLiteral("dolog1");
    case KindNotes: return QStringLiteral("jegyzet");
    default: return {};
    }
}

const char *kNotInList = "A keresett rekord nincs a lista sorai között (a lista szűrése miatt vagy mert időközben törölték).";

} // namespace

SearchRunner::~SearchRunner() = default;

void SearchRunner::run(int serial, const QString &target, const std::function<std::unique_ptr<zdb::Searcher>()> &open,
                       const QString &query)
{
    // A newer text is already waiting: this one is not worth the work.
    if (serial != m_latest->load())
        return;
    QList<zdb::SearchHit> hits;
    QString error;
    try {
        if (!m_searcher || m_target != target) {
            m_searcher.reset();
            m_searcher = open();
            m_target = target;
        }
        hits = m_searcher->search(query, kResultLimit, kPerKind);
    } catch (const std::exception &e) {
        error = QString::fromUtf8(e.what());
        m_searcher.reset();   // opened again with the next text
    }
    Q_EMIT done(serial, hits, error);
}

Tfrm_Kereses::Tfrm_Kereses(Tfrm_Main *mainWindow)
    : QWidget(mainWindow, Qt::Window), m_main(mainWindow)
{
    setObjectName(QStringLiteral("frm_Kereses"));
    setWindowTitle(QStringLiteral("Keresés mindenben"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(640, 520);

    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("EditKeres"));
    m_edit->setPlaceholderText(QStringLiteral("Név, szó, telefonszám, kód…"));
    m_edit->setClearButtonEnabled(true);
    m_edit->installEventFilter(this);

    m_indexNote = new QLabel(this);
    m_indexNote->setObjectName(QStringLiteral("LabelIndex"));
    m_indexNote->setWordWrap(true);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("ProgressIndex"));
    m_progress->setTextVisible(true);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("ListTalalat"));
    m_list->setHeaderHidden(true);
    m_list->setColumnCount(1);
    m_list->setRootIsDecorated(false);
    m_list->setIndentation(12);
    m_list->installEventFilter(this);
    connect(m_list, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem *item) { openItem(item); });

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("LabelAllapot"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_edit);
    layout->addWidget(m_indexNote);
    layout->addWidget(m_progress);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_status);

    m_debounce = new QTimer(this);
    m_debounce->setSingleShot(true);
    m_debounce->setInterval(kTypingPauseMs);
    connect(m_debounce, &QTimer::timeout, this, [this] {
        m_debounce_pending = false;
        startQuery();
    });
    connect(m_edit, &QLineEdit::textChanged, this, [this] {
        m_debounce_pending = true;
        ++m_serial;
        m_latest->store(m_serial);
        m_debounce->start();
    });

    m_thread = new QThread(this);
    m_runner = new SearchRunner(m_latest);
    m_runner->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_runner, &QObject::deleteLater);
    connect(m_runner, &SearchRunner::done, this, &Tfrm_Kereses::showHits, Qt::QueuedConnection);
    m_thread->start();

    if (auto *keeper = zdb::SearchIndexKeeper::current()) {
        connect(keeper, &zdb::SearchIndexKeeper::reindexingChanged, this, [this](bool running) {
            updateIndexState();
            if (!running && !m_edit->text().trimmed().isEmpty())
                startQuery();   // the complete index may find more
        });
        connect(keeper, &zdb::SearchIndexKeeper::reindexProgress, this, [this](qint64 done, qint64 total) {
            m_progress->setMaximum(int(qMin<qint64>(total, INT_MAX)));
            m_progress->setValue(int(qMin<qint64>(done, INT_MAX)));
        });
        connect(keeper, &zdb::SearchIndexKeeper::indexChanged, this, [this] {
            if (!m_edit->text().trimmed().isEmpty() && !m_debounce->isActive())
                m_debounce->start();
        });
    }
    updateIndexState();
    RestoreFormPosition(this, objectName());
}

Tfrm_Kereses::~Tfrm_Kereses()
{
    m_latest->store(-1);
    m_thread->quit();
    m_thread->wait();
}

void Tfrm_Kereses::closeEvent(QCloseEvent *event)
{
    RememberFormPosition(this, objectName());
    event->accept();
}

void Tfrm_Kereses::updateIndexState()
{
    auto *keeper = zdb::SearchIndexKeeper::current();
    const bool busy = keeper && keeper->isReindexing();
    m_progress->setVisible(busy);
    if (!keeper || !keeper->isRunning()) {
        m_indexNote->setText(QStringLiteral("A keresőindex nem érhető el, ezért nincs találat."));
        m_indexNote->setToolTip(keeper ? keeper->lastError() : QString());
        m_indexNote->setVisible(true);
        return;
    }
    m_indexNote->setToolTip(QString());
    m_indexNote->setText(keeper->canSearch() ? QStringLiteral("A keresőindex frissül, a találatok hiányosak lehetnek.")
                                             : QStringLiteral("A keresőindex most készül, a keresés utána indul."));
    m_indexNote->setVisible(busy);
}

void Tfrm_Kereses::startQuery()
{
    auto *keeper = zdb::SearchIndexKeeper::current();
    const QString query = m_edit->text();
    if (query.trimmed().isEmpty() || !keeper || !keeper->canSearch()) {
        showHits(m_serial, {}, {});
        return;
    }
    const int serial = m_serial;
    QMetaObject::invokeMethod(m_runner,
                              [runner = m_runner, serial, target = keeper->searchTarget(), open = keeper->searcherFactory(), query] {
                                  runner->run(serial, target, open, query);
                              },
                              Qt::QueuedConnection);
}

void Tfrm_Kereses::showHits(int serial, const QList<zdb::SearchHit> &hits, const QString &error)
{
    if (serial != m_serial)
        return;   // an older text's answer
    m_shownSerial = serial;
    m_hits = hits;
    m_list->clear();
    if (!error.isEmpty()) {
        m_status->setText(QStringLiteral("Hiba a keresésben: %1").arg(error));
        return;
    }
    const QColor dim = palette().color(QPalette::Disabled, QPalette::Text);
    int shown = 0;
    for (const zdb::SearchSource &source : zdb::SearchSources()) {
        QList<int> rows;
        for (int i = 0; i < m_hits.size(); ++i)
            if (m_hits[i].kind == source.kind)
                rows << i;
        if (rows.isEmpty())
            continue;
        auto *group = new QTreeWidgetItem(m_list);
        const bool more = rows.size() > kPerKind;
        group->setText(0, more ? QStringLiteral("%1 (%2+)").arg(source.title).arg(kPerKind)
                               : QStringLiteral("%1 (%2)").arg(source.title).arg(rows.size()));
        QFont bold = group->font(0);
        bold.setBold(true);
        group->setFont(0, bold);
        group->setFlags(Qt::ItemIsEnabled);
        group->setFirstColumnSpanned(true);
        for (int k = 0; k < rows.size() && k < kPerKind; ++k) {
            const zdb::SearchHit &h = m_hits[rows[k]];
            auto *item = new QTreeWidgetItem(group);
            item->setData(0, Qt::UserRole, rows[k]);
            const QString caption = h.caption.isEmpty() ? QStringLiteral("(névtelen)") : h.caption;
            item->setToolTip(0, caption);
            auto *label = new QLabel;
            label->setTextFormat(Qt::RichText);
            // The date comes before the matched text: a long excerpt may
            // run past the window's edge, the date should not.
            QString html = caption.toHtmlEscaped();
            if (!h.date.isEmpty())
                html += QStringLiteral(" &nbsp;<span style=\"color:%1\">%2</span>").arg(dim.name(), h.date.toHtmlEscaped());
            html += QStringLiteral(" &nbsp;<span style=\"color:%1\">%2:</span> %3")
                        .arg(dim.name(), h.fieldLabel.toHtmlEscaped(), h.fieldHtml);
            label->setText(html);
            label->setAttribute(Qt::WA_TransparentForMouseEvents);
            m_list->setItemWidget(item, 0, label);
            ++shown;
        }
        group->setExpanded(true);
    }
    if (m_edit->text().trimmed().isEmpty())
        m_status->clear();
    else if (shown == 0)
        m_status->setText(QStringLiteral("Nincs találat."));
    else
        m_status->setText(QStringLiteral("%1 találat. Enter vagy dupla kattintás: megnyitás; Esc: vissza a keresőmezőbe.").arg(shown));
}

bool Tfrm_Kereses::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (watched == m_edit) {
            if (key->key() == Qt::Key_Down || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                // The first result, under the first group's caption.
                if (m_list->topLevelItemCount() > 0 && m_list->topLevelItem(0)->childCount() > 0) {
                    m_list->setFocus();
                    m_list->setCurrentItem(m_list->topLevelItem(0)->child(0));
                    if (key->key() != Qt::Key_Down)
                        openItem(m_list->currentItem());
                }
                return true;
            }
            if (key->key() == Qt::Key_Escape) {
                close();
                return true;
            }
        } else if (watched == m_list) {
            if (key->key() == Qt::Key_Escape) {
                m_edit->setFocus();
                m_edit->selectAll();
                return true;
            }
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                openItem(m_list->currentItem());
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Tfrm_Kereses::openItem(QTreeWidgetItem *item)
{
    if (!item || !item->data(0, Qt::UserRole).isValid())
        return;
    const int row = item->data(0, Qt::UserRole).toInt();
    if (row < 0 || row >= m_hits.size())
        return;
    const zdb::SearchHit hit = m_hits[row];
    RunGuarded([&] { openHit(hit); }, this);
}

void Tfrm_Kereses::openHit(const zdb::SearchHit &hit)
{
    if (hit.kind == zdb::SearchComment || hit.kind == zdb::SearchDocument) {
        if (hit.kind == zdb::SearchDocument) {
            // A document lives among its owner's comments and documents.
            ShowComments(hit.ownerKind, int(hit.ownerId), hit.caption);
            return;
        }
        zdb::Table comment(Db1());
        zdb::UseCatalogue(comment, QStringLiteral("megjegyzes"));
        comment.setFilter(QStringLiteral("megjegyzes=?"), {QVariant(qlonglong(hit.id))});
        comment.setFiltered(true);
        comment.open();
        if (comment.recordCount() == 0) {
            ShowInfo(QString::fromUtf8(kNotInList), this);
            return;
        }
        const QString owner = comment.value(QStringLiteral("azonstr")).toString();
        EditComment(&comment, false, hit.ownerKind, int(hit.ownerId), owner);
        return;
    }
    const int listKind = listKindOf(hit.kind);
    if (!listKind)
        return;
    if (hit.kind == zdb::SearchCalendar && !ListWindowFactoryOf(KindCalendar))
        return;
    // The record is shown in the main window: it comes to the front.
    if (m_main->isMinimized())
        m_main->showNormal();
    m_main->raise();
    m_main->activateWindow();
    QWidget *window = m_main->openListWindow(listKind);
    auto *list = dynamic_cast<ListWindow *>(window);
    if (!list)
        return;
    if (hit.kind == zdb::SearchCalendar) {
        if (auto *calendar = qobject_cast<Tfrm_Naptar *>(window))
            calendar->showDay(QDate::fromString(hit.date, Qt::ISODate));
    }
    const qint64 id = hit.kind == zdb::SearchEmployee ? hit.ownerId : hit.id;
    zdb::RecordSet *rs = list->listRecordSet();
    if (!rs || !rs->locate(idFieldOfList(listKind), QVariant(qlonglong(id)))) {
        ShowInfo(QString::fromUtf8(kNotInList), this);
        return;
    }
    if (auto *child = qobject_cast<ListChild *>(window))
        child->setFocus();
    switch (hit.kind) {
    case zdb::SearchEmployee:
        ShowEmployees(int(hit.ownerId), rs->value(QStringLiteral("ugyfel_nev")).toString());
        break;
    case zdb::SearchCalendar:
        if (auto *calendar = qobject_cast<Tfrm_Naptar *>(window))
            calendar->editEntry();
        break;
    case zdb::SearchNote:
        if (auto *notes = qobject_cast<Tfrm_Jegyzetek *>(window))
            notes->editNote();
        break;
    default:
        break;
    }
}

Tfrm_Kereses *ShowSearchWindow(Tfrm_Main *mainWindow)
{
    if (!g_window)
        g_window = new Tfrm_Kereses(mainWindow);
    g_window->show();
    g_window->raise();
    g_window->activateWindow();
    g_window->searchBox()->setFocus();
    g_window->searchBox()->selectAll();
    return g_window;
}

void KeepSearchIndex(zdb::Connection *connection)
{
    if (connection->findChild<zdb::SearchIndexKeeper *>())
        return;
    auto *keeper = new zdb::SearchIndexKeeper(connection, connection);
    if (connection->isConnected())
        keeper->tryStart();
}
