#pragma once
#include <QString>
#include <QStringList>

namespace tetrafot {

// Camera RAW files, shown through the preview they hold: which names are
// RAW files, and the masks of the file list's RAW filters.

// The RAW extensions in lower case, without dots or duplicates: the
// configured companion extensions (blanks trimmed, empty entries and
// entries with wildcards left out) followed by the common ones.
QStringList RawFileExtensions(const QStringList& configured);

// Whether the name ends in one of RawFileExtensions, in any letter case.
bool IsRawFileName(const QString& name, const QStringList& configured);

// A filter's ";"-separated masks, where the entry RawMasksEntry stands for
// "*.EXT" of every RAW extension.
inline constexpr QLatin1StringView RawMasksEntry{"<raw>"};
// The JPEG photos' masks: the file list's first filter.
inline constexpr QLatin1StringView PhotoMasks{"*.jpg;*.jpeg;*.jpe;*.jfif"};
QStringList FilterMasks(const QString& maskText, const QStringList& configured);

// The file list's filters, in the order the filter box lists them (the RAW
// ones came last, so a chosen entry keeps its place).
enum class ListFilter { Jpeg, AllFiles, Marked, Raw, JpegAndRaw };
// A filter's masks as FilterMasks reads them: "*" lists every name, with or
// without a dot; "" the marked files, which the marks choose.
QString MaskTextOf(ListFilter filter);

} // namespace tetrafot
