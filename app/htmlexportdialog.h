#pragma once

// "HTML export": asks where to save a list's page (output/htmlexport.h),
// whether to open it afterwards, and can mail it as an attachment.

#include <QDialog>
#include <QPointer>
#include <QString>

class DataGrid;
class QCheckBox;
class QLineEdit;

// The dialog. ExportGridToHtml runs it.
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

// The grid's list as an HTML page, through the export dialog.
void ExportGridToHtml(DataGrid *grid, const QString &title, const QString &subtitle);
