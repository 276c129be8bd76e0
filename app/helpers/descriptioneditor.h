#pragma once

// The multi-line text editor of descriptions, notes and SQL texts: line
// numbers three digits wide, word wrap, the cursor's line highlighted, CR LF
// line ends, and an optional length limit that typing and pasting respect.

// The editor component's headers use the plain signals/slots keywords that
// the program switches off.
#ifndef signals
#define signals Q_SIGNALS
#define slots Q_SLOTS
#define ZENTAVO_QSCI_KEYWORDS
#endif
#include <Qsci/qsciscintilla.h>
#include <Qsci/qscilexersql.h>
#ifdef ZENTAVO_QSCI_KEYWORDS
#undef signals
#undef slots
#undef ZENTAVO_QSCI_KEYWORDS
#endif

class DescriptionEditor : public QsciScintilla
{
    Q_OBJECT
public:
    explicit DescriptionEditor(QWidget *parent = nullptr);

    // The most characters the text may hold (a CR LF counts as two, as it is
    // stored); 0 means no limit. Text loaded with setPlainText is never cut.
    void setMaxLength(int characters);
    int maxLength() const { return m_maxLength; }

    // For SQL texts: standard SQL colouring (comments green, numbers blue,
    // string literals red, keywords bold) in a fixed-pitch font, no wrapping.
    void setSqlSyntax();

    // Loads a text as the unmodified starting point (no undo step back past it).
    void setPlainText(const QString &text);
    // The text with every line ending in CR LF, cut to the length limit.
    QString plainText() const;
    // Whether the user changed the text since setPlainText.
    bool userModified() const { return isModified(); }

    // The selected text as the editor holds it now; empty without a selection.
    // (The widget's own hasSelectedText()/selectedText() go by a flag that
    // still says "selected" after typing has replaced the selection.)
    QString currentSelection() const;

    // Every line break (CR LF, LF or a lone CR) as CR LF.
    static QString withCrLf(const QString &text);
    // The first `characters` characters, without a CR LF or a surrogate pair
    // cut in half.
    static QString cutTo(const QString &text, int characters);

protected:
    // Typing, input methods, pasting and dropping respect the length limit.
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    QByteArray fromMimeData(const QMimeData *source, bool &rectangular) const override;

private:
    // Characters that may still be added in place of the selection; -1: no limit.
    int room() const;

    int m_maxLength = 0;
};
