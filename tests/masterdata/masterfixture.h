#pragma once

// Shared set-up of the master-data window tests: the real main window on a
// database with the given rows, shown and active.

#include "tests/app/appfixture.h"

#include "masterdata/entries.h"
#include "scheduling/entries.h"

#include <QMdiSubWindow>
#include <QTest>

struct MasterFixture
{
    std::unique_ptr<AppFixture> f;

    void start(const QString &rows)
    {
        f = std::make_unique<AppFixture>();
        f->makeDb(rows);
        QVERIFY(f->start());
        f->main->resize(1000, 700);
        f->main->show();
        f->main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f->main.get()));
    }
    QVariant stored(const QString &sql) const { return testenv::storedValue(f->dbPath(), sql); }
    int count(const QString &table) const
    {
        return stored(QStringLiteral("SELECT COUNT(*) FROM ") + table).toInt();
    }
};

inline void initMasterTests()
{
    initAppTests();
    RegisterSchedulingWindows();
    RegisterMasterDataWindows();
}

// The next modal dialog, as its own type, to `steps` (which accept or reject it).
template<class D>
void answerDialog(std::function<void(D *)> steps)
{
    testhooks::onNextDialog([steps](QDialog *d) {
        auto *dlg = qobject_cast<D *>(d);
        QVERIFY2(dlg, qPrintable(QStringLiteral("unexpected dialog ") + d->objectName()));
        steps(dlg);
    });
}

inline QStringList actionTexts(const QList<QAction *> &actions)
{
    QStringList out;
    for (QAction *a : actions)
        out << (!a || a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}
