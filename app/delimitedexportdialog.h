#pragma once

// "Határolt szöveg export": the fields, separator, qualifier and file of a
// delimited export, which it then runs with a progress bar and a stop button
// (the writer is output/delimitedexport.h).

#include "output/delimitedexport.h"

#include <QChar>
#include <QDialog>
#include <QList>
#include <QPointer>
#include <QString>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QWidget;

namespace zdb {
class RecordSet;
}

// The dialog. Settings are read through the typed getters; the export itself
// runs in startExport().
class Tfrm_Excelbe : public QDialog
{
    Q_OBJECT
public:
    explicit Tfrm_Excelbe(zdb::RecordSet *recordSet, QWidget *parent = nullptr);

    QList<int> checkedFields() const;
    QChar separator() const;
    QChar qualifier() const;
    bool multiLine() const;
    QString fileName() const;
    DelimitedOptions options() const;
    bool running() const { return m_running; }

    void setFileName(const QString &fileName);
    void setAllChecked(bool checked);

    // Records between two looks at the user interface during an export.
    static constexpr int kEventInterval = 256;

public Q_SLOTS:
    void startExport();
    void stopExport();
    void browse();
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void done(int result) override;

private:
    void setRunning(bool running);
    bool runExport(const QString &path);
    QString resolvedFileName() const;   // the box's name as a full path

    QPointer<zdb::RecordSet> m_rs;
    bool m_running = false;
    bool m_stopRequested = false;
    bool m_positioned = false;

    QListWidget *m_fields = nullptr;
    QPushButton *m_all = nullptr;
    QPushButton *m_none = nullptr;
    QList<QRadioButton *> m_separators;
    QList<QRadioButton *> m_qualifiers;
    QCheckBox *m_multiLine = nullptr;
    QLineEdit *m_fileName = nullptr;
    QPushButton *m_browse = nullptr;
    QString m_folder;                   // the folder last chosen with the browser
    QPushButton *m_stop = nullptr;
    QPushButton *m_start = nullptr;
    QPushButton *m_close = nullptr;
    QProgressBar *m_progress = nullptr;
    QList<QWidget *> m_settings;   // disabled while an export runs
};

// The record set as delimited text, through the export dialog.
void ExportDelimited(zdb::RecordSet *recordSet);
