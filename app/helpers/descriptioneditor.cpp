#include "app/helpers/descriptioneditor.h"
#include "app/helpers/core/textfile.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>

namespace {
const QColor kCursorLine(255, 250, 214);
}

DescriptionEditor::DescriptionEditor(QWidget *parent)
    : QsciScintilla(parent)
{
    setUtf8(true);
    setEolMode(EolWindows);
    setWrapMode(WrapWord);
    setWrapVisualFlags(WrapFlagNone);
    setFont(QApplication::font());

    setMarginType(0, NumberMargin);
    setMarginLineNumbers(0, true);
    setMarginsFont(QApplication::font());
    setMarginsBackgroundColor(QColor(236, 236, 236));
    setMarginsForegroundColor(QColor(110, 110, 110));
    setMarginWidth(0, QFontMetrics(QApplication::font()).horizontalAdvance(QStringLiteral("000")) + 10);
    setMarginWidth(1, 0);   // no symbol margin
    setFolding(NoFoldStyle);
    SendScintilla(SCI_SETMARGINLEFT, 0UL, 4L);   // the text does not touch the line numbers

    setCaretLineVisible(true);
    setCaretLineBackgroundColor(kCursorLine);
    setAutoIndent(false);
    setTabWidth(4);
    setIndentationsUseTabs(true);
}

void DescriptionEditor::setSqlSyntax()
{
    auto *lexer = new QsciLexerSQL(this);
    const QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    lexer->setDefaultFont(font);
    lexer->setFont(font);
    QFont bold = font;
    bold.setBold(true);
    lexer->setFont(bold, QsciLexerSQL::Keyword);
    lexer->setColor(QColor(0, 0, 128), QsciLexerSQL::Keyword);
    for (int style : {QsciLexerSQL::Comment, QsciLexerSQL::CommentLine, QsciLexerSQL::CommentDoc,
                      QsciLexerSQL::CommentLineHash, QsciLexerSQL::CommentDocKeyword})
        lexer->setColor(QColor(0, 128, 0), style);
    lexer->setColor(QColor(0, 0, 255), QsciLexerSQL::Number);
    lexer->setColor(QColor(192, 0, 0), QsciLexerSQL::SingleQuotedString);
    lexer->setColor(QColor(192, 0, 0), QsciLexerSQL::DoubleQuotedString);
    setLexer(lexer);

    setWrapMode(WrapNone);
    setMarginsFont(font);
    setMarginWidth(0, QFontMetrics(font).horizontalAdvance(QStringLiteral("0000")) + 10);
    // A lexer brings colours of its own; the cursor line keeps the program's.
    setCaretLineVisible(true);
    setCaretLineBackgroundColor(kCursorLine);
}

void DescriptionEditor::setMaxLength(int characters)
{
    m_maxLength = qMax(0, characters);
}

void DescriptionEditor::setPlainText(const QString &text)
{
    setText(text);
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    setModified(false);
    setCursorPosition(0, 0);
}

QString DescriptionEditor::plainText() const
{
    const QString text = withCrLf(this->text());
    return m_maxLength > 0 ? cutTo(text, m_maxLength) : text;
}

QString DescriptionEditor::withCrLf(const QString &text)
{
    return WithCrLf(text);
}

QString DescriptionEditor::cutTo(const QString &text, int characters)
{
    if (characters < 0 || text.size() <= characters)
        return text;
    QString result = text.left(characters);
    if (result.endsWith(QLatin1Char('\r')) && text.at(characters) == QLatin1Char('\n'))
        result.chop(1);
    else if (!result.isEmpty() && result.back().isHighSurrogate())
        result.chop(1);
    return result;
}

QString DescriptionEditor::currentSelection() const
{
    const int start = int(SendScintilla(SCI_GETSELECTIONSTART));
    const int end = int(SendScintilla(SCI_GETSELECTIONEND));
    return end > start ? text(start, end) : QString();
}

int DescriptionEditor::room() const
{
    if (m_maxLength <= 0)
        return -1;
    return qMax(0, m_maxLength - int(text().size()) + int(currentSelection().size()));
}

void DescriptionEditor::keyPressEvent(QKeyEvent *event)
{
    // Esc belongs to the dialog around the editor ("Mégsem"), not to the editor.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && !isListActive()) {
        event->ignore();
        return;
    }
    const int left = room();
    if (left >= 0 && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        QString typed;
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            typed = QStringLiteral("\r\n");
        else if (!event->text().isEmpty() && (event->text().at(0).isPrint() || event->text().at(0) == QLatin1Char('\t')))
            typed = event->text();
        if (typed.size() > left) {
            QApplication::beep();
            event->accept();
            return;
        }
    }
    QsciScintilla::keyPressEvent(event);
}

void DescriptionEditor::inputMethodEvent(QInputMethodEvent *event)
{
    const int left = room();
    if (left >= 0 && event->commitString().size() > left)
        event->setCommitString(cutTo(event->commitString(), left), event->replacementStart(), event->replacementLength());
    QsciScintilla::inputMethodEvent(event);
}

QByteArray DescriptionEditor::fromMimeData(const QMimeData *source, bool &rectangular) const
{
    const QByteArray dropped = QsciScintilla::fromMimeData(source, rectangular);
    const int left = room();
    if (left < 0)
        return dropped;
    // What is pasted ends up with CR LF line ends, so it is measured that way.
    const QString text = withCrLf(QString::fromUtf8(dropped));
    return text.size() > left ? cutTo(text, left).toUtf8() : text.toUtf8();
}
