// The record editor base through a small work-entry editor: insert with a
// preset, edit, cancel, the veto, a failing store and the remembered position.

#include "tests/app/appfixture.h"

#include "app/helpers/datefield.h"
#include "app/helpers/descriptioneditor.h"
#include "app/helpers/recordeditor.h"

#include "db/catalog.h"
#include "db/dberror.h"
#include "db/recordset.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

namespace {

// What a concrete editor declares: an unbound date copied in and out, a
// veto, and a store step that can fail.
class Tfrm_ProbaSzerkeszt : public RecordEditor
{
public:
    explicit Tfrm_ProbaSzerkeszt(zdb::Table *tbl)
        : RecordEditor(tbl, QStringLiteral("frm_ProbaSzerkeszt"), QStringLiteral("Próba"), nullptr)
    {
        day = new DateField(this);
        rovid = new QLineEdit(this);
        rovid->setMaxLength(2);   // shorter than a value stored in the fixture
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(day);
        layout->addWidget(rovid);
        layout->addLayout(buttonRow());
    }
    DateField *day;
    QLineEdit *rovid;
    bool veto = false;
    bool failStore = false;
    int vetoes = 0;

protected:
    void loadFields() override
    {
        day->setValue(table()->value(QStringLiteral("datum")).toDate());
        rovid->setText(table()->text(QStringLiteral("rovid")));
    }
    void storeFields() override
    {
        if (failStore)
            throw zdb::Error(QStringLiteral("nem menthető"));
        storeDate(day, QStringLiteral("datum"));
        table()->setValue(QStringLiteral("rovid"), rovid->text());
    }
    bool readyToStore() override
    {
        vetoes += veto;
        return !veto;
    }
};

// Every control bound through the base's binder: sizes come from the fields.
class Tfrm_KotottSzerkeszt : public RecordEditor
{
public:
    explicit Tfrm_KotottSzerkeszt(zdb::Table *tbl, bool emptyNull)
        : RecordEditor(tbl, QStringLiteral("frm_KotottSzerkeszt"), QStringLiteral("Kötött"), nullptr)
    {
        bind().setEmptyStoresNull(emptyNull);
        day = new DateField(this);
        rovid = new QLineEdit(this);
        task = new QLineEdit(this);
        remark = new DescriptionEditor(this);
        bind().date(day, QStringLiteral("datum"));
        bind().text(rovid, QStringLiteral("rovid"));
        bind().integer(task, QStringLiteral("feladat"));
        bind().memo(remark, QStringLiteral("leiras"));
        auto *layout = new QVBoxLayout(this);
        for (QWidget *w : std::initializer_list<QWidget *>{day, rovid, task, remark})
            layout->addWidget(w);
        layout->addLayout(buttonRow());
    }
    DateField *day;
    QLineEdit *rovid;
    QLineEdit *task;
    DescriptionEditor *remark;
};

int countRows(const QString &dbPath, const QString &where)
{
    return testenv::storedValue(dbPath, QStringLiteral("SELECT COUNT(*) FROM munka WHERE ") + where).toInt();
}

} // namespace

class TestRecordEditor : public QObject
{
    Q_OBJECT
    std::unique_ptr<AppFixture> f;
    zdb::Table *tbl = nullptr;

private Q_SLOTS:
    void initTestCase() { initAppTests(); }
    void init()
    {
        f = std::make_unique<AppFixture>();
        f->makeDb(QStringLiteral("INSERT INTO munka (munka, feladat, datum, rovid) VALUES (1, 7, '2026-01-03', 'Egy');"));
        QVERIFY(f->start());
        tbl = new zdb::Table(Db1(), f->main.get());
        zdb::UseCatalogue(*tbl, QStringLiteral("munka"));
    }
    void cleanup() { f.reset(); }

    void newRowIsPresetStoredAndTheTableClosedAgain()
    {
        Tfrm_ProbaSzerkeszt e(tbl);
        testhooks::onNextDialog([](QDialog *d) {
            auto *ed = static_cast<Tfrm_ProbaSzerkeszt *>(d);
            QCOMPARE(ed->day->date(), QDate(2026, 2, 1));   // copied in from the preset
            ed->day->setDate(QDate(2026, 2, 5));
            ed->okButton()->click();
        });
        QVERIFY(RunRecordEditor(tbl, e, true, [this] {
            tbl->setValue(QStringLiteral("feladat"), 7);
            tbl->setValue(QStringLiteral("datum"), QDate(2026, 2, 1));
        }));
        QVERIFY(!tbl->isOpen());
        // The identifier comes from the table's before-save rule.
        QCOMPARE(countRows(f->dbPath(), QStringLiteral("munka=2 AND datum='2026-02-05' AND feladat=7")), 1);
    }

    void cancelAndEmptyEditStoreNothing()
    {
        tbl->open();
        Tfrm_ProbaSzerkeszt e(tbl);
        testhooks::onNextDialog([](QDialog *d) {
            static_cast<Tfrm_ProbaSzerkeszt *>(d)->day->setDate(QDate(2030, 1, 1));
            static_cast<Tfrm_ProbaSzerkeszt *>(d)->cancelButton()->click();
        });
        QVERIFY(!RunRecordEditor(tbl, e, false));
        QVERIFY(tbl->isOpen());   // it was open: it stays open, browsing
        QVERIFY(!tbl->isEditing());
        QCOMPARE(countRows(f->dbPath(), QStringLiteral("datum='2026-01-03'")), 1);

        // Editing an empty list shows nothing and inserts nothing.
        tbl->close();
        tbl->setFilter(QStringLiteral("feladat=99"));
        tbl->setFiltered(true);
        tbl->open();
        Tfrm_ProbaSzerkeszt empty(tbl);
        testhooks::onNextDialog([](QDialog *) { QFAIL("no editor for an empty list"); });
        QVERIFY(!RunRecordEditor(tbl, empty, false));
        QCOMPARE(testhooks::pendingDialogCallbacks(), 1);
        testhooks::reset();
        testhooks::setAutomatic(true);
        QCOMPARE(countRows(f->dbPath(), QStringLiteral("1=1")), 1);
    }

    // A stored value longer than its control allows is shown and written
    // back whole; the limit still holds for what is typed.
    void aLongerStoredValueIsNeverCut()
    {
        tbl->open();
        Tfrm_ProbaSzerkeszt e(tbl);
        testhooks::onNextDialog([](QDialog *d) {
            auto *ed = static_cast<Tfrm_ProbaSzerkeszt *>(d);
            QCOMPARE(ed->rovid->text(), QStringLiteral("Egy"));
            QTest::keyClicks(ed->rovid, QStringLiteral("xx"));
            QCOMPARE(ed->rovid->text(), QStringLiteral("Egy"));
            ed->day->setDate(QDate(2026, 1, 4));
            ed->okButton()->click();
        });
        QVERIFY(RunRecordEditor(tbl, e, false));
        QCOMPARE(countRows(f->dbPath(), QStringLiteral("rovid='Egy' AND datum='2026-01-04'")), 1);
        // A short value leaves the limit as it was.
        tbl->edit();
        tbl->setValue(QStringLiteral("rovid"), QStringLiteral("E"));
        e.loadFromRow();
        QCOMPARE(e.rovid->maxLength(), 2);
        tbl->cancel();
    }

    void vetoAndFailedStoreKeepTheDialogAndTheRow()
    {
        tbl->open();
        Tfrm_ProbaSzerkeszt e(tbl);
        bool stayedAfterVeto = false;
        bool stayedAfterFailure = false;
        testhooks::onNextDialog([&](QDialog *d) {
            auto *ed = static_cast<Tfrm_ProbaSzerkeszt *>(d);
            ed->day->setDate(QDate(2026, 4, 4));
            ed->veto = true;
            ed->okButton()->click();
            stayedAfterVeto = ed->isVisible() && tbl->isEditing();
            ed->veto = false;
            ed->failStore = true;
            ed->okButton()->click();
            stayedAfterFailure = ed->isVisible() && tbl->mode() == zdb::RecordSet::Mode::Editing
                                 && ed->day->date() == QDate(2026, 4, 4);
            ed->failStore = false;
            ed->okButton()->click();
        });
        QVERIFY(RunRecordEditor(tbl, e, false));
        QVERIFY(stayedAfterVeto);
        QVERIFY(stayedAfterFailure);
        QCOMPARE(e.vetoes, 1);
        QCOMPARE(testhooks::lastMessage().caption, QStringLiteral("Zentavo"));
        QVERIFY(testhooks::lastMessage().text.startsWith(QStringLiteral("nem menthető")));
        QCOMPARE(countRows(f->dbPath(), QStringLiteral("datum='2026-04-04'")), 1);
    }

    // Bound controls write back only what the user changed: a text another
    // program stored with a lone LF stays as it was, an edited one gets
    // CR LF; typing stops at the field's size.
    void boundFieldsKeepUntouchedValues_data()
    {
        QTest::addColumn<int>("change");
        QTest::addColumn<bool>("emptyNull");
        QTest::addColumn<QString>("expected");
        const QString longText = QStringLiteral("rovid='%1'").arg(QString(100, QLatin1Char('h')));
        const QString storedRest = QStringLiteral(" AND leiras='a'||char(10)||'b' AND feladat=7"
                                                  " AND datum='2026-01-03'");
        QTest::newRow("untouched") << 0 << false << longText + storedRest;
        QTest::newRow("typing keeps the field's size")
            << 1 << false << QStringLiteral("rovid='%1'").arg(QString(100, QLatin1Char('x'))) + storedRest;
        QTest::newRow("an edited text gets CR LF")
            << 2 << false << longText + QStringLiteral(" AND leiras='c'||char(13)||char(10)||'d' AND feladat=7");
        QTest::newRow("emptied: an empty text, no number")
            << 3 << false << QStringLiteral("rovid='' AND feladat IS NULL AND leiras='a'||char(10)||'b'");
        QTest::newRow("emptied, where asked: no value")
            << 3 << true << QStringLiteral("rovid IS NULL AND feladat IS NULL");
        QTest::newRow("a typed number and day")
            << 4 << false << longText + QStringLiteral(" AND feladat=42 AND typeof(feladat)='integer' AND datum='2026-05-06'");
    }
    void boundFieldsKeepUntouchedValues()
    {
        QFETCH(int, change);
        QFETCH(bool, emptyNull);
        QFETCH(QString, expected);
        testenv::execSql(f->dbPath(),
                         QStringLiteral("INSERT INTO munka (munka, feladat, datum, rovid, leiras) VALUES "
                                        "(2, 7, '2026-01-03', '%1', 'a'||char(10)||'b');")
                             .arg(QString(100, QLatin1Char('h'))));
        tbl->setFilter(QStringLiteral("munka=2"));
        tbl->setFiltered(true);
        tbl->open();
        Tfrm_KotottSzerkeszt e(tbl, emptyNull);
        testhooks::onNextDialog([change](QDialog *d) {
            auto *ed = static_cast<Tfrm_KotottSzerkeszt *>(d);
            switch (change) {
            case 1:
                ed->rovid->clear();
                QTest::keyClicks(ed->rovid, QString(105, QLatin1Char('x')));
                break;
            case 2: ed->remark->setText(QStringLiteral("c\nd")); break;
            case 3:
                ed->rovid->clear();
                ed->task->clear();
                break;
            case 4:
                ed->task->clear();
                QTest::keyClicks(ed->task, QStringLiteral("42"));
                ed->day->setDate(QDate(2026, 5, 6));
                break;
            default: break;
            }
            ed->okButton()->click();
        });
        QVERIFY(RunRecordEditor(tbl, e, false));
        QCOMPARE(countRows(f->dbPath(), QStringLiteral("munka=2 AND ") + expected), 1);
    }

    void positionIsRemembered()
    {
        tbl->open();
        {
            Tfrm_ProbaSzerkeszt e(tbl);
            testhooks::onNextDialog([](QDialog *d) {
                d->move(140, 90);
                d->reject();
            });
            RunRecordEditor(tbl, e, false);
        }
        QCOMPARE(f->ini().value(QStringLiteral("frm_ProbaSzerkeszt/Left")).toInt(), 140);
        QCOMPARE(f->ini().value(QStringLiteral("frm_ProbaSzerkeszt/Top")).toInt(), 90);
    }
};

QTEST_MAIN(TestRecordEditor)
#include "tst_recordeditor.moc"
