#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QUrl>

namespace tetrafot {

// Path parts. The separators are named here only: on Linux "/" ends a
// folder; a Windows build adds "\\" and the drive colon.
bool IsPathSeparator(QChar c);
// The folder part, up to and including the last separator; empty for a bare name.
QString PathFolderPart(const QString& path);
// The text after the last separator (the whole path when there is none).
QString PathFileName(const QString& path);
// The folder followed by one separator, none added when it ends in one.
QString WithTrailingSeparator(const QString& folder);

// File names as the file system holds them. A name is a string of bytes; most
// are UTF-8, but a card or an archive from an older system may hold Latin-1
// or other bytes that are not. Every name read from the file system enters
// the program through DecodeFileName and every path leaves it through
// EncodeFileName, which gives back the very bytes that came in: each byte
// that is not part of valid UTF-8 becomes the lone surrogate U+DC80..U+DCFF,
// and goes back to that byte. Typed text encodes as UTF-8.
QString DecodeFileName(QByteArrayView bytes);
QByteArray EncodeFileName(const QString& path);
// A path as a person reads it, with the platform's separators: each byte
// that is not UTF-8 shows as its Latin-1 character (the usual case of such
// names), 0x80..0x9F, which Latin-1 gives no glyph, as U+FFFD. For labels,
// the file list and messages only; never turned back into a path.
QString DisplayName(const QString& path);

// The file: URL of an absolute path, its bytes percent-encoded as they are,
// for handing a file to the desktop's associated program.
QUrl FileUrl(const QString& absolutePath);

// The file system's answers about a path, asked with its own bytes.
bool IsRegularFile(const QString& path);   // following links
bool PathExists(const QString& path);      // a dangling link exists too
// The process's working directory, as its bytes decode.
QString CurrentDirectory();
// The path joined to the working directory when relative, "." and ".."
// parts and doubled separators taken out.
QString AbsolutePath(const QString& path);

} // namespace tetrafot
