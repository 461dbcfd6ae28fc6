#pragma once
#include <QString>
#include <utility>
#include <vector>

namespace tetrafot {

// The program's INI profile: plain "[section]" headers and "key=value" lines
// in the locale's 8-bit text. Section and key names compare without regard
// to letter case; of two equal sections or keys the first one counts.
// Lines starting with ";" or "#" are comments.
namespace IniProfile {

using KeyValues = std::vector<std::pair<QString, QString>>;

// The keys of the section in file order, values trimmed of blanks. Empty
// when the file or the section does not exist, or the file cannot be read
// (a FIFO or a folder under the name is not waited on).
KeyValues ReadSection(const QString& fileName, const QString& section);

// Writes the given keys into the section: a key present in the section is
// rewritten on its own line, a missing key goes after the section's last
// key, a missing section goes to the end of the file. Every other line stays
// byte for byte. The file is replaced in one step (temporary file and
// rename), so a failure leaves the old file whole. Throws UserError naming
// the file and the system's reason when it cannot be read (or is no regular
// file) or written.
void WriteSection(const QString& fileName, const QString& section, const KeyValues& keys);

// The same edit on the file's content in memory; used by WriteSection.
QByteArray UpdateSectionText(const QByteArray& content, const QString& section, const KeyValues& keys);

}  // namespace IniProfile

} // namespace tetrafot
