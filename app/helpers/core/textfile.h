#pragma once

// Plain text files the user keeps (SQL statements, notes, files to import):
// read whatever encoding a desktop editor or spreadsheet left them in,
// written in the program's own Windows-1250 with CR LF line ends, whole or
// not at all.

#include <QByteArray>
#include <QString>

// Every line break (CR LF, LF or a lone CR) as CR LF.
QString WithCrLf(const QString &text);

// How a file's bytes are read: UTF-16 after its byte-order mark (either byte
// order), UTF-8 after its mark or when the bytes look like UTF-8, else
// Windows-1250. Bytes look like UTF-8 when they hold a sequence above ASCII
// and valid sequences are more than broken ones (Windows-1250 text almost
// never forms a valid one).
struct TextEncoding
{
    enum Kind { Cp1250, Utf8, Utf16LE, Utf16BE };
    Kind kind = Cp1250;
    int markSize = 0;   // bytes of the byte-order mark
    int badLine = 0;    // UTF-8 only: the line (from 1) of the first broken sequence, 0 when none
};
TextEncoding DetectTextEncoding(const QByteArray &bytes);

// The message for a file that looks like UTF-8 but holds a broken sequence.
QString BadUtf8Message(int line);

// The text of a file's bytes, as DetectTextEncoding reads them (the mark
// dropped). Throws zdb::Error naming the line when UTF-8 is broken.
QString DecodeTextFile(const QByteArray &bytes);

// The largest text file the editors load: far beyond any note or script,
// small enough that the window does not freeze over it.
constexpr qint64 kMaxEditorTextFile = 16 * 1024 * 1024;

// Reads a text file; throws zdb::Error naming the file when it cannot be
// read, is larger than `maxBytes`, or is broken UTF-8.
QString ReadTextFile(const QString &path, qint64 maxBytes = kMaxEditorTextFile);

// Reads a file's bytes whole; throws zdb::Error naming the file when it
// cannot be read or is larger than `maxBytes` (checked before reading).
QByteArray ReadFileBytes(const QString &path, qint64 maxBytes);

// Writes the text in Windows-1250, every line break as CR LF. The file is
// replaced only once everything is written: a failure leaves the old file as
// it was (and no new one). Throws zdb::Error naming the file.
void WriteTextFile(const QString &path, const QString &text);
