#pragma once

// Delimited text export: a writer that turns a record set into Windows-1250
// lines (usable without any window, e.g. by tests and benchmarks), and the
// dialog "Határolt szöveg export" that drives it with a progress bar and a
// stop button.

#include <QByteArray>
#include <QChar>
#include <QDialog>
#include <QList>
#include <QPointer>
#include <QString>

#include <functional>
#include <vector>

class QCheckBox;
class QIODevice;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QWidget;

namespace zdb {
class RecordSet;
}

struct DelimitedOptions
{
    QChar separator = QLatin1Char(';');
    QChar qualifier;          // null: no qualifier ("Semmi")
    bool multiLine = false;   // memo fields as one line joined with "|", else "BLOB"
    QList<int> fields;        // field indexes of the record set, written in this order
};

// Every field of the record set, in field order.
QList<int> AllDelimitedFields(const zdb::RecordSet &rs);

// Builds the lines. A value is the record set's plain text form (null is
// empty). With a qualifier, a qualifier character inside a title or value is
// doubled so that the file reads back as written; without one, values go out
// unchanged, except one holding the separator, CR, LF or a double quote,
// which is enclosed in double quotes with inner ones doubled. Each field is followed by the separator, the last one too, and
// every line ends with CR LF.
class DelimitedWriter
{
public:
    DelimitedWriter(const zdb::RecordSet &rs, const DelimitedOptions &options);

    void appendHeader(QByteArray &out) const;
    void appendRecord(int row, QByteArray &out) const;

private:
    enum class How { Text, Value, Memo, Blob };
    struct Column
    {
        int field;
        How how;
    };

    void appendValue(int row, const Column &c, QByteArray &out, qsizetype &used) const;
    bool breaksField(QStringView text) const;
    void appendField(QStringView text, QByteArray &out, qsizetype &used) const;
    void appendText(QStringView text, QByteArray &out, qsizetype &used, char doubled) const;

    const zdb::RecordSet &m_rs;
    std::vector<Column> m_columns;
    char m_separator;
    char m_qualifier;   // 0: none
};

// Writes the header and the records from the first to the last to `device`.
// `keepGoing(done)` is asked before each record (done = records written so
// far); false ends the export there and the lines so far stay written.
// Bound controls are held meanwhile and the current row is restored after.
// Returns the number of records written; throws zdb::Error on a failing
// record set or device.
int WriteDelimited(zdb::RecordSet &rs, const DelimitedOptions &options, QIODevice &device,
                   const std::function<bool(int done)> &keepGoing = {});

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
