#pragma once

// Reading a free SQL text as the SQL console runs it.

#include <QString>
#include <QStringList>

// The words of the text's first statement, in capitals: what stands inside
// quotes, brackets and comments is no word of the statement. The console
// reads the verb (and whether a WHERE stands in it) from them.
QStringList FirstStatementWords(const QString &sql);
