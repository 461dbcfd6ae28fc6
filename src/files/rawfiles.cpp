#include "files/rawfiles.h"

#include <QFileInfo>

namespace tetrafot {

namespace {

// What the cameras of the last twenty years write.
const char* const kCommonRaw[] = {"cr2", "cr3", "crw", "nef", "nrw", "arw", "sr2", "srf", "orf", "rw2", "raf",
                                  "pef", "dng", "srw", "3fr", "iiq", "erf", "kdc", "mrw", "mos", "x3f"};

} // namespace

QStringList RawFileExtensions(const QStringList& configured)
{
    QStringList extensions;
    auto add = [&](const QString& extension) {
        const QString e = extension.trimmed().toLower();
        if (!e.isEmpty() && !e.contains(QLatin1Char('*')) && !e.contains(QLatin1Char('?')) && !extensions.contains(e))
            extensions.append(e);
    };
    for (const QString& e : configured)
        add(e);
    for (const char* e : kCommonRaw)
        add(QLatin1String(e));
    return extensions;
}

bool IsRawFileName(const QString& name, const QStringList& configured)
{
    const QString fileName = QFileInfo(name).fileName();
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return false;
    return RawFileExtensions(configured).contains(fileName.mid(dot + 1).toLower());
}

QStringList FilterMasks(const QString& maskText, const QStringList& configured)
{
    QStringList masks;
    for (const QString& mask : maskText.split(QLatin1Char(';'))) {
        if (mask != RawMasksEntry) {
            masks.append(mask);
            continue;
        }
        for (const QString& extension : RawFileExtensions(configured))
            masks.append(QStringLiteral("*.") + extension);
    }
    return masks;
}

QString MaskTextOf(ListFilter filter)
{
    switch (filter) {
    case ListFilter::Jpeg: return QString(PhotoMasks);
    case ListFilter::AllFiles: return QStringLiteral("*");
    case ListFilter::Marked: return {};
    case ListFilter::Raw: return QString(RawMasksEntry);
    case ListFilter::JpegAndRaw: return QString(PhotoMasks) + QLatin1Char(';') + RawMasksEntry;
    }
    return {};
}

} // namespace tetrafot
