#pragma once
#include "jpegwriter.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

// The benchmarks' 24 megapixel photo (6000 x 4000, photo-like content),
// written once into the temporary folder and reused by later runs.
inline QString Bench24MPPath()
{
    const QString folder = QDir::temp().filePath(QStringLiteral("tetrafot-bench"));
    const QString path = folder + QStringLiteral("/photo-6000x4000-v1.jpg");
    if (!QFile::exists(path)) {
        QDir().mkpath(folder);
        JpegSpec desc;
        desc.width = 6000;
        desc.height = 4000;
        desc.quality = 92;
        desc.seed = 24;
        WriteJpeg(path, desc);
    }
    return path;
}

inline QByteArray Bench24MPBytes()
{
    QFile file(Bench24MPPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
