#pragma once

// Shared pieces of the editor and prompt tests: reading the database file the
// way another program would, and answering an editor like a user.

#include "tests/app/appfixture.h"
#include "app/helpers/descriptioneditor.h"
#include "scheduling/entryeditor.h"
#include "scheduling/prioritychooser.h"

#include "db/codec.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <sqlite3.h>

#include <functional>

namespace editortest {

// Every row of a query: integers as int, text decoded, NULL as an invalid QVariant.
inline QList<QVariantList> dbRows(const QString &dbPath, const QString &sql)
{
    if (testenv::isServerDatabase(dbPath))
        return testenv::serverRows(dbPath, sql);
    QList<QVariantList> rows;
    sqlite3 *db = nullptr;
    if (sqlite3_open(QFile::encodeName(dbPath).constData(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        return rows;
    }
    sqlite3_stmt *st = nullptr;
    const QByteArray text = zdb::toCp1250(sql);
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &st, nullptr) == SQLITE_OK) {
        while (sqlite3_step(st) == SQLITE_ROW) {
            QVariantList row;
            for (int c = 0; c < sqlite3_column_count(st); ++c) {
                switch (sqlite3_column_type(st, c)) {
                case SQLITE_NULL: row << QVariant(); break;
                case SQLITE_INTEGER: row << QVariant(sqlite3_column_int(st, c)); break;
                default:
                    row << QVariant(zdb::fromCp1250(reinterpret_cast<const char *>(sqlite3_column_text(st, c)),
                                                    sqlite3_column_bytes(st, c)));
                }
            }
            rows << row;
        }
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return rows;
}

inline QVariant dbValue(const QString &dbPath, const QString &sql)
{
    const QList<QVariantList> rows = dbRows(dbPath, sql);
    return rows.isEmpty() || rows.first().isEmpty() ? QVariant(QStringLiteral("<no row>")) : rows.first().first();
}

inline int dbCount(const QString &dbPath, const QString &table)
{
    return dbValue(dbPath, QStringLiteral("select count(*) from ") + table).toInt();
}

template <class T>
T *child(QWidget *dialog, const char *name)
{
    T *w = dialog->findChild<T *>(QString::fromLatin1(name));
    if (!w)
        qWarning("no child %s", name);
    return w;
}

// Answers the next editor with `steps`, once it is shown and active.
inline void answerEditor(std::function<void(EntryEditor *)> steps)
{
    testhooks::onNextDialog([steps](QDialog *d) {
        auto *editor = qobject_cast<EntryEditor *>(d);
        QVERIFY(editor);
        editor->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(editor));
        steps(editor);
    });
}

// Replaces the text of a line edit by typing, as the user would.
inline void retype(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    bool ascii = true;
    for (QChar c : text)
        ascii = ascii && c.unicode() < 128;
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Delete);
    else if (ascii)
        QTest::keyClicks(edit, text);   // key by key, through the validator
    else
        edit->insert(text);             // the test library types ASCII only
}

inline void clickOk(QWidget *dialog)
{
    child<QPushButton>(dialog, "btOK")->click();
}

inline void clickCancel(QWidget *dialog)
{
    child<QPushButton>(dialog, "btMegsem")->click();
}

inline QString dayText(const QDate &d)
{
    return d.toString(Qt::ISODate);
}

} // namespace editortest
