#pragma once
// Helpers the pipeline's tests share: a folder of files to decode, and the
// key of an owed whole written as the tables write it.
#include "pipeline/owedwholes.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

using namespace tetrafot;

namespace pipelinetest {

struct Folder {
    QTemporaryDir dir;
    QString put(const QString& name, const QByteArray& bytes)
    {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        return f.fileName();
    }
};

// "x" is file x at scale code 1, "x@2" the same file at scale code 2.
inline WholeKey KeyOf(const QString& word)
{
    const QStringList parts = word.split(QLatin1Char('@'));
    WholeKey key;
    key.identity.path = parts[0];
    key.scaleCode = parts.size() > 1 ? parts[1].toInt() : 1;
    return key;
}

} // namespace pipelinetest
