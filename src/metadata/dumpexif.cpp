#include "metadata/dumpexif.h"

#include "metadata/metadatalisting.h"
#include "metadata/phmetadata.h"

namespace tetrafot {

namespace {

// Length of the valid UTF-8 sequence at text[i], 0 when there is none.
std::size_t Utf8SequenceLength(const std::string& text, std::size_t i)
{
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char c = byte(i);
    std::size_t length;
    std::uint32_t cp;
    if (c < 0x80)
        return 1;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        cp = cp << 6 | (byte(i + k) & 0x3F);
    }
    // Overlong forms, surrogates and numbers past U+10FFFF are not UTF-8.
    static constexpr std::uint32_t least[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < least[length] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
        return 0;
    return length;
}

} // namespace

std::string DumpName(const std::string& name)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < name.size();) {
        const auto c = static_cast<unsigned char>(name[i]);
        const std::size_t length = Utf8SequenceLength(name, i);
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (length == 0 || c < 0x20 || c == 0x7F) {
            out += "\\x";
            out += digits[c >> 4];
            out += digits[c & 15];
        } else {
            out.append(name, i, length);
            i += length;
            continue;
        }
        ++i;
    }
    return out;
}

std::string DumpLine(const std::string& line)
{
    std::size_t tab = line.find(":\t");
    std::size_t valueStart = tab == std::string::npos ? 0 : tab + 2;
    std::string out = line.substr(0, valueStart);
    for (std::size_t i = valueStart; i < line.size();) {
        unsigned char c = static_cast<unsigned char>(line[i]);
        std::size_t length = Utf8SequenceLength(line, i);
        if (length == 0 || c < 0x20 || c == 0x7F) {
            out += '?';
            ++i;
        } else {
            out.append(line, i, length);
            i += length;
        }
    }
    return out;
}

int DumpExif(const std::vector<std::string>& files, std::FILE* out, std::FILE* err)
{
    int result = 0;
    for (const std::string& file : files) {
        const TImageMetadata reader(file);
        const MetadataListing listing = ListMetadata(reader);
        const std::string name = DumpName(file);
        if (listing.status == ExifStatus::OpenFailed) {
            std::fprintf(err, "tetrafot: %s: cannot read it: %s\n", name.c_str(), reader.OpenReason.c_str());
            result = 1;
            continue;
        }
        if (listing.status != 0) {
            std::fprintf(err, "tetrafot: %s: no EXIF data (status %d)\n", name.c_str(), listing.status);
            result = 1;
            continue;
        }
        if (files.size() > 1)
            std::fprintf(out, "==> %s <==\n", name.c_str());
        for (const std::string& line : listing.lines) {
            std::string text = DumpLine(line) + '\n';
            std::fwrite(text.data(), 1, text.size(), out);
        }
    }
    std::fflush(out);
    return result;
}

} // namespace tetrafot
