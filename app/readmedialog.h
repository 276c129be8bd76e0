#pragma once

#include <QDialog>

struct PlainTextPage;

class QPagedPaintDevice;
class QPlainTextEdit;
class QPrinter;

// "Fontos információk": a fixed text the user can read and print.
class Tfrm_Readme : public QDialog
{
    Q_OBJECT
public:
    explicit Tfrm_Readme(QWidget *parent = nullptr);

    QPlainTextEdit *viewer() const { return m_text; }
    static QString fixedText();
    // Lays the text out on the printer's pages: margins, header and footer
    // bands, tab stops, wrapping. Returns the number of pages printed.
    int printTo(QPrinter *printer) const;

private:
    static PlainTextPage pageSetup();
    void print();
    QPlainTextEdit *m_text = nullptr;
};

void ShowReadme(QWidget *parent);
