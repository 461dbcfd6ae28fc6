#pragma once
#include <QByteArray>
#include <QString>

// Reading the files the program trusts least. A photo, the marks file or
// the settings file may have been swapped for a FIFO, a device or a folder:
// such a name is reported, never waited on.

// Reads the whole of a regular file without blocking. Returns false with
// `reason` set to the system's reason ("No such file or directory", "not a
// regular file", "larger than N bytes", ...) and `missing` set when the name
// does not exist. `maxBytes` bounds what is read: larger files are refused.
struct RegularFileRead {
    QByteArray data;
    QString reason;
    bool missing = false;
    bool ok() const { return reason.isEmpty(); }
};
RegularFileRead ReadRegularFile(const QString& path, qint64 maxBytes);

// The system's text for an errno value, as the user should read it.
QString SystemReason(int errorNumber);
