#pragma once

// Plain text files the user keeps (SQL statements, notes): read whatever
// encoding a desktop editor left them in, written in the program's own
// Windows-1250 with CR LF line ends, whole or not at all.

#include <QByteArray>
#include <QString>

// Every line break (CR LF, LF or a lone CR) as CR LF.
QString WithCrLf(const QString &text);

// The text of a file's bytes: UTF-8 when they begin with its byte-order mark
// or are valid UTF-8 holding non-ASCII letters, else Windows-1250.
QString DecodeTextFile(const QByteArray &bytes);

// Reads a text file; throws zdb::Error naming the file when it cannot be read.
QString ReadTextFile(const QString &path);

// Writes the text in Windows-1250, every line break as CR LF. The file is
// replaced only once everything is written: a failure leaves the old file as
// it was (and no new one). Throws zdb::Error naming the file.
void WriteTextFile(const QString &path, const QString &text);
