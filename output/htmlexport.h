#pragma once

// "HTML export": a list grid written as a static page (Windows-1250, CR LF),
// through a small dialog that asks where to save it, whether to open it
// afterwards, and can mail it as an attachment.

#include <QByteArray>
#include <QDateTime>
#include <QDialog>
#include <QPointer>
#include <QString>

class DataGrid;
class QCheckBox;
class QLineEdit;

// A column's width as a whole percentage of the grid's width, halves going
// to the even neighbour (12.5 -> 12, 13.5 -> 14); 0 for a grid of no width.
int HtmlColumnPercent(int columnWidth, int gridWidth);

// Text as it goes into the page: HTML-escaped (& < > "), line breaks as
// <br>, converted to Windows-1250 (characters outside it become "?").
QByteArray HtmlPageText(QStringView text);

// The whole page of the grid's list, stamped with the given time. The record
// set's current row is the same afterwards.
QByteArray GridHtmlPage(DataGrid *grid, const QString &title, const QString &subtitle,
                        const QDateTime &stamp = QDateTime::currentDateTime());

// Writes the page to path, replacing an existing file. The file is written
// completely or not at all; a failure throws zdb::Error saying why.
void WriteGridHtml(DataGrid *grid, const QString &title, const QString &subtitle, const QString &path);

// The dialog. ExportGridToHtml (output.h) runs it.
class Tfrm_HtmlExport : public QDialog
{
    Q_OBJECT
public:
    Tfrm_HtmlExport(DataGrid *grid, const QString &title, const QString &subtitle, QWidget *parent = nullptr);

    QString fileName() const;
    // The page's full path: a bare or relative name in the edit box lies in
    // the HTML folder, so the written, opened and mailed file is one file.
    QString pagePath() const;
    void setFileName(const QString &path);
    bool openAfterSave() const;

    // The page to the edit box's path (the export after "OK").
    void writePage();
    // "E-Mail": writes the page and hands it to the mail client; the dialog stays open.
    void mailPage();
    // The browse button: a save-file chooser preset with the edit box's path.
    void browse();

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QPointer<DataGrid> m_grid;
    QString m_title;
    QString m_subtitle;
    QLineEdit *m_file = nullptr;
    QCheckBox *m_open = nullptr;
    bool m_positioned = false;
};
