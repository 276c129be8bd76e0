#pragma once

#include <QByteArray>
#include <QString>

namespace zdb {

// Windows-1250 <-> Unicode by table. A character outside the code page becomes
// "?", so nothing the user types can break a row.
QByteArray toCp1250(QStringView text);
QString fromCp1250(const char *data, qsizetype length);
inline QString fromCp1250(const QByteArray &bytes) { return fromCp1250(bytes.constData(), bytes.size()); }

// Text encoding of the database and of the files the program writes.
enum class Encoding { Standard /* Windows-1250 */, Utf8 };

QByteArray encodeText(QStringView text, Encoding encoding);
QString decodeText(const char *data, qsizetype length, Encoding encoding);

} // namespace zdb
