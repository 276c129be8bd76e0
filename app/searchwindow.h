#pragma once

// "Keresés mindenben": one search box over every kind of record. Results
// come as the user types, from a thread of their own, grouped by kind; Enter
// or a double click opens the record where it lives.

#include "db/searchindex.h"

#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QProgressBar;
class QThread;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class Tfrm_Main;

namespace zdb {
class Connection;
}

// Runs the queries of the search window, newest typed text only.
class SearchRunner : public QObject
{
    Q_OBJECT
public:
    explicit SearchRunner(std::shared_ptr<std::atomic_int> latest) : m_latest(std::move(latest)) {}
    ~SearchRunner() override;
    // `target` names what `open` opens: the searcher is kept while it stays the same.
    void run(int serial, const QString &target, const std::function<std::unique_ptr<zdb::Searcher>()> &open,
             const QString &query);

Q_SIGNALS:
    void done(int serial, const QList<zdb::SearchHit> &hits, const QString &error);

private:
    std::shared_ptr<std::atomic_int> m_latest;
    std::unique_ptr<zdb::Searcher> m_searcher;
    QString m_target;
};

class Tfrm_Kereses : public QWidget
{
    Q_OBJECT
public:
    explicit Tfrm_Kereses(Tfrm_Main *mainWindow);
    ~Tfrm_Kereses() override;

    QLineEdit *searchBox() const { return m_edit; }
    QTreeWidget *resultList() const { return m_list; }
    // True once the results shown belong to the text in the box.
    bool resultsCurrent() const { return m_shownSerial == m_serial && !m_debounce_pending; }

    // Opens a result where it lives (public for tests).
    void openHit(const zdb::SearchHit &hit);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void startQuery();
    void showHits(int serial, const QList<zdb::SearchHit> &hits, const QString &error);
    void openItem(QTreeWidgetItem *item);
    void updateIndexState();

    Tfrm_Main *m_main;
    QLineEdit *m_edit;
    QTreeWidget *m_list;
    QLabel *m_status;
    QLabel *m_indexNote;
    QProgressBar *m_progress;
    QTimer *m_debounce;
    bool m_debounce_pending = false;
    QThread *m_thread;
    SearchRunner *m_runner;
    std::shared_ptr<std::atomic_int> m_latest = std::make_shared<std::atomic_int>(0);
    int m_serial = 0;
    int m_shownSerial = 0;
    QList<zdb::SearchHit> m_hits;
};

// Shows the one search window (made on first use).
Tfrm_Kereses *ShowSearchWindow(Tfrm_Main *mainWindow);
// Starts keeping the search index of the connection (once; the keeper
// follows the connection's opening and closing from then on).
void KeepSearchIndex(zdb::Connection *connection);
