#include "output/sqlstatement.h"

QStringList FirstStatementWords(const QString &sql)
{
    QStringList words;
    QString word;
    auto flush = [&] {
        if (!word.isEmpty())
            words << word.toUpper();
        word.clear();
    };
    const qsizetype n = sql.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = sql[i];
        if (c.isLetterOrNumber() || c == QLatin1Char('_')) {
            word += c;
            continue;
        }
        flush();
        if (c == QLatin1Char(';'))
            break;
        if (c == QLatin1Char('-') && i + 1 < n && sql[i + 1] == QLatin1Char('-')) {
            while (i < n && sql[i] != QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('/') && i + 1 < n && sql[i + 1] == QLatin1Char('*')) {
            const qsizetype end = sql.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? n : end + 1;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('[')) {
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
            const qsizetype end = sql.indexOf(close, i + 1);
            i = end < 0 ? n : end;
        }
    }
    flush();
    return words;
}
