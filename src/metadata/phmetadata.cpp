#include "metadata/phmetadata.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <limits>
#include <memory>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>

namespace tetrafot {

// Where the marker scan gets its bytes from: a file, or a copy of one in
// memory (the fuzzer's way in). Both behave alike at the end of the data:
// a read fails, a skip does not.
class TImageMetadata::Source {
public:
    virtual ~Source() = default;
    // Reads exactly n bytes or fails.
    virtual bool ReadBytes(char* buffer, std::size_t n) = 0;
    // Moves forward by n bytes; going past the end is no error by itself.
    virtual void Skip(std::size_t n) = 0;
    // Reads up to n bytes, fewer only at the end.
    virtual std::size_t ReadSome(char* buffer, std::size_t n) = 0;
};

namespace {

class FileSource final : public TImageMetadata::Source {
public:
    ~FileSource() override
    {
        if (fd >= 0)
            ::close(fd);
    }

    // Returns the reason when the name is no regular file that opens.
    std::string Open(const std::string& fileName)
    {
        // O_NONBLOCK: a FIFO under a photo's name would otherwise wait for
        // a writer; it and any other special file are refused here.
        fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0)
            return std::strerror(errno);
        struct stat st{};
        if (::fstat(fd, &st) != 0)
            return std::strerror(errno);
        if (S_ISDIR(st.st_mode))
            return "it is a folder";
        if (!S_ISREG(st.st_mode))
            return "it is not a regular file";
        return std::string();
    }

    bool ReadBytes(char* buffer, std::size_t n) override
    {
        while (n > 0) {
            ssize_t got = ::read(fd, buffer, n);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return false;
            buffer += got;
            n -= static_cast<std::size_t>(got);
        }
        return true;
    }

    std::size_t ReadSome(char* buffer, std::size_t n) override
    {
        std::size_t done = 0;
        while (done < n) {
            ssize_t got = ::read(fd, buffer + done, n - done);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            done += static_cast<std::size_t>(got);
        }
        return done;
    }

    void Skip(std::size_t n) override
    {
        // Only regular files are opened, and they seek past their end freely.
        ::lseek(fd, static_cast<off_t>(n), SEEK_CUR);
    }

private:
    int fd = -1;
};

class MemorySource final : public TImageMetadata::Source {
public:
    explicit MemorySource(std::string_view bytes) : data(bytes) {}

    bool ReadBytes(char* buffer, std::size_t n) override
    {
        if (pos > data.size() || n > data.size() - pos)
            return false;
        std::memcpy(buffer, data.data() + pos, n);
        pos += n;
        return true;
    }

    std::size_t ReadSome(char* buffer, std::size_t n) override
    {
        if (pos >= data.size())
            return 0;
        n = std::min<std::uint64_t>(n, data.size() - pos);
        std::memcpy(buffer, data.data() + pos, n);
        pos += n;
        return n;
    }

    void Skip(std::size_t n) override { pos += n; }

private:
    std::string_view data;
    std::uint64_t pos = 0;
};

enum TIFFType {
    TypeByte = 1, TypeAscii, TypeShort, TypeLong, TypeRational, TypeSByte,
    TypeUndefined, TypeSShort, TypeSLong, TypeSRational, TypeFloat, TypeDouble
};
constexpr int TypeSizes[13] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};

constexpr int TagExifPointer = 0x8769;
constexpr int TagInteropPointer = 0xA005;
constexpr int TagFocalLength = 0x920A;

// Real files nest two levels (IFD0 -> Exif -> interoperability). The bound
// keeps a crafted block from nesting thousands of directories deep, which
// the offset set alone would allow.
constexpr int MaxDirectoryDepth = 16;

// A 64 KB block can hold 5,000 entries whose values all lie on the same
// 60 KB, and directories that overlap one another multiply that again:
// listed in full, one such file took seconds and gigabytes. Real camera
// files have about a hundred entries, and their longest values (a transfer
// function, a colour map) 768 elements, a few thousand in all. So at most
// 1,024 elements of an entry are shown, 16,384 of all entries together,
// and at most 512 entries are read; a value cut short ends in "…", a
// listing cut short gets a last line "…". That bounds a listing to some
// 400 KB of text and a few tens of milliseconds.
constexpr std::uint32_t MaxElementsShown = 1024;
constexpr std::uint32_t MaxElementsInAll = 16384;
constexpr int MaxEntriesRead = 512;
constexpr std::string_view CutMark = "\xE2\x80\xA6"; // …

// The TIFF block: the APP1 payload after "Exif\0\0". Callers check bounds
// with Fits before decoding.
struct Block {
    const unsigned char* data;
    std::uint32_t size;
    bool intel;

    bool Fits(std::uint64_t offset, std::uint64_t length) const
    {
        return offset <= size && length <= size - offset;
    }
    std::uint16_t U16(std::uint64_t at) const
    {
        const unsigned char* b = data + at;
        return intel ? std::uint16_t(b[0] | b[1] << 8) : std::uint16_t(b[0] << 8 | b[1]);
    }
    std::uint32_t U32(std::uint64_t at) const
    {
        const unsigned char* b = data + at;
        return intel ? std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 |
                           std::uint32_t(b[3]) << 24
                     : std::uint32_t(b[0]) << 24 | std::uint32_t(b[1]) << 16 |
                           std::uint32_t(b[2]) << 8 | std::uint32_t(b[3]);
    }
    std::uint64_t U64(std::uint64_t at) const
    {
        std::uint64_t first = U32(at), second = U32(at + 4);
        return intel ? second << 32 | first : first << 32 | second;
    }
};

bool IsIntegerType(int type)
{
    switch (type) {
    case TypeByte: case TypeShort: case TypeLong: case TypeSByte:
    case TypeUndefined: case TypeSShort: case TypeSLong:
        return true;
    default:
        return false;
    }
}

// The element's whole number: what a pointer entry points at, and whose
// low byte a raw-character text keeps.
std::uint64_t ElementBits(const Block& b, int type, std::uint64_t at)
{
    switch (TypeSizes[type]) {
    case 1: return b.data[at];
    case 2: return b.U16(at);
    case 4: return b.U32(at);
    default: return type == TypeDouble ? b.U64(at) : b.U32(at); // rationals: numerator
    }
}

std::string FormatElement(const Block& b, int type, int tag, std::uint64_t at)
{
    switch (type) {
    case TypeByte:
    case TypeUndefined:
        return std::to_string(b.data[at]);
    case TypeAscii:
        return b.data[at] == 0 ? std::string() : std::string(1, static_cast<char>(b.data[at]));
    case TypeShort:
        return std::to_string(b.U16(at));
    case TypeLong:
        return std::to_string(b.U32(at));
    case TypeSByte:
        return std::to_string(static_cast<std::int8_t>(b.data[at]));
    case TypeSShort:
        return std::to_string(static_cast<std::int16_t>(b.U16(at)));
    case TypeSLong:
        return std::to_string(static_cast<std::int32_t>(b.U32(at)));
    case TypeRational:
        return RationalText(b.U32(at), b.U32(at + 4), tag);
    case TypeSRational:
        return RationalText(static_cast<std::int32_t>(b.U32(at)),
                            static_cast<std::int32_t>(b.U32(at + 4)), tag);
    case TypeFloat:
        return GeneralFloatText(std::bit_cast<float>(b.U32(at)));
    case TypeDouble:
        return GeneralFloatText(std::bit_cast<double>(b.U64(at)));
    }
    return std::string();
}

bool StartsWithUnicode(std::string_view text)
{
    static constexpr std::string_view code = "UNICODE";
    for (std::size_t i = 0; i < code.size(); ++i) {
        char c = text[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c != code[i])
            return false;
    }
    return true;
}

// A user comment: an 8-byte character code, then the text.
std::string CommentText(std::string_view value)
{
    if (value.size() <= 8)
        return std::string();
    std::string_view text = value.substr(8);
    return StartsWithUnicode(value) ? WideToAnsi(text) : TrimText(text);
}

std::string HexText(std::string_view value)
{
    static constexpr char digits[] = "0123456789abcdef";
    std::string text(value.size() * 2, '\0');
    for (std::size_t i = 0; i < value.size(); ++i) {
        const auto c = static_cast<unsigned char>(value[i]);
        text[2 * i] = digits[c >> 4];
        text[2 * i + 1] = digits[c & 15];
    }
    return text;
}

// "0220" -> "02.20"
std::string VersionText(std::string_view value)
{
    std::string text(value.substr(0, 2));
    text += '.';
    text += value.substr(std::min<std::size_t>(2, value.size()));
    return text;
}

std::string FocalLengthText(std::int32_t numerator, std::int32_t denominator)
{
    if (denominator == 0)
        return std::to_string(numerator) + "/0";
    return GeneralFloatText(static_cast<double>(numerator) / denominator);
}

void AppendUtf8(std::string& out, std::uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | cp >> 6);
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | cp >> 12);
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | cp >> 18);
        out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// What the walks of one file may still read: a CR3's two TIFF structures
// share the bounds of one block.
struct WalkBudget {
    int entriesRead = 0;
    bool entriesCut = false;
    std::uint32_t elementsLeft = MaxElementsInAll;
};

// Walks the directories of one TIFF block into the item list.
class DirectoryWalker {
public:
    DirectoryWalker(const Block& block, std::vector<TTagItem>& items, WalkBudget& budget)
        : b(block), out(items), entriesRead(budget.entriesRead), entriesCut(budget.entriesCut),
          elementsLeft(budget.elementsLeft)
    {
    }

    void WalkChain(std::uint32_t offset)
    {
        while (offset != 0)
            offset = ReadIFD(offset);
    }

private:
    // Returns the next-directory offset, 0 when there is none or when the
    // directory does not fit in the block.
    std::uint32_t ReadIFD(std::uint32_t p)
    {
        if (!b.Fits(p, 2) || depth >= MaxDirectoryDepth)
            return 0;
        // Every directory is read once, so offsets that loop end the walk.
        if (!visited.insert(p).second)
            return 0;
        std::uint32_t n = b.U16(p);
        if (!b.Fits(p, 12ull * n + 6))
            return 0;
        ++depth;
        for (std::uint32_t i = 0; i < n && !entriesCut; ++i) {
            if (entriesRead == MaxEntriesRead)
                entriesCut = true;
            else {
                ++entriesRead;
                ReadEntry(p + 2 + 12ull * i);
            }
        }
        --depth;
        return entriesCut ? 0 : b.U32(p + 2 + 12ull * n);
    }

    // Whether the elements [from, to) of an entry, left out of its text,
    // would have shown: characters that the text trims or drops (zero
    // bytes of an ASCII value, blanks after a comment) do not count, so a
    // long padded value lists as it always has.
    bool RestShows(const TEXIFTag& record, int type, std::uint64_t first, std::uint32_t from,
                   std::uint32_t to) const
    {
        const int size = TypeSizes[type];
        auto lowByte = [&](std::uint32_t i) -> unsigned {
            return size == 1 ? b.data[first + i]
                             : ElementBits(b, type, first + std::uint64_t(i) * size) & 0xFF;
        };
        bool wide = record.Kind == KindWideText;
        if (record.Kind == KindComment) {
            if (to <= 8)
                return false; // no text after the character code
            std::string code;
            for (std::uint32_t i = 0; i < 8; ++i)
                code += static_cast<char>(lowByte(i));
            wide = StartsWithUnicode(code);
        } else if (record.Kind == KindFormatted) {
            if (type != TypeAscii)
                return true;
            for (std::uint32_t i = from; i < to; ++i)
                if (b.data[first + i] != 0)
                    return true;
            return false;
        } else if (record.Kind != KindWideText) {
            return true;
        }
        // Text units start at even elements; the one cut in half is gone
        // from the text, and an odd last byte is dropped by the text anyway.
        const std::uint32_t step = wide ? 2 : 1;
        for (std::uint32_t i = wide ? from & ~1u : from; i + step <= to; i += step) {
            const unsigned unit = wide ? lowByte(i) | lowByte(i + 1) << 8 : lowByte(i);
            if (unit > 32)
                return true;
        }
        return false;
    }

    void ReadEntry(std::uint64_t entry)
    {
        int tag = b.U16(entry);
        int type = b.U16(entry + 2);
        std::uint32_t count = b.U32(entry + 4);
        const TEXIFTag* record = FindTag(tag);
        if (!record || count == 0 || count >= 0x80000000u || type < 1 || type > 12)
            return;

        const int size = TypeSizes[type];
        const bool isInline = std::uint64_t(count) * size <= 4;
        const std::uint64_t first = isInline ? entry + 8 : b.U32(entry + 8);
        const bool formatted = record->Kind == KindFormatted;
        const bool mapped = formatted && !record->Meanings.empty();
        const bool pointer = (tag == TagExifPointer || tag == TagInteropPointer) && IsIntegerType(type);
        // With meanings only element 0 counts.
        const std::uint32_t elements = mapped ? 1 : count;

        // Elements lie one after the other, so those that fit wholly in the
        // block are a prefix; the first one beyond makes the value an error.
        std::uint64_t fitting = count;
        if (!isInline)
            fitting = first <= b.size ? (b.size - first) / size : 0;
        const bool error = fitting < elements;
        const std::uint32_t whole = static_cast<std::uint32_t>(std::min<std::uint64_t>(elements, fitting));
        const std::uint32_t readable = std::min(std::min(whole, MaxElementsShown), elementsLeft);
        elementsLeft -= readable;
        const bool cut = !error && readable < whole && RestShows(*record, type, first, readable, whole);

        // The raw characters of the other kinds: one byte types are used
        // where they lie, wider ones give their low bytes.
        std::string text;
        std::string_view raw;
        std::int32_t lastNumerator = 0, lastDenominator = 0;
        if (!formatted && size == 1 && readable > 0) {
            raw = std::string_view(reinterpret_cast<const char*>(b.data + first), readable);
        } else if (!formatted) {
            text.resize(readable);
            for (std::uint32_t i = 0; i < readable; ++i)
                text[i] = static_cast<char>(ElementBits(b, type, first + std::uint64_t(i) * size) & 0xFF);
            raw = text;
        }
        for (std::uint32_t i = 0; formatted && i < readable; ++i) {
            const std::uint64_t at = first + std::uint64_t(i) * size;
            if (mapped) {
                text = ApplyMeaning(*record, FormatElement(b, type, tag, at));
            } else {
                if (i > 0 && type != TypeAscii)
                    text += ',';
                text += FormatElement(b, type, tag, at);
            }
            if (type == TypeRational || type == TypeSRational) {
                lastNumerator = static_cast<std::int32_t>(b.U32(at));
                lastDenominator = static_cast<std::int32_t>(b.U32(at + 4));
            }
            if (pointer)
                ReadIFD(static_cast<std::uint32_t>(ElementBits(b, type, at)));
        }

        if (error) {
            text = "(error)";
        } else {
            switch (record->Kind) {
            case KindComment: text = CommentText(raw); break;
            case KindVersion: text = VersionText(raw); break;
            case KindWideText: text = WideToAnsi(raw); break;
            case KindHex: text = HexText(raw); break;
            default: break;
            }
            // The focal length is a plain number, not a rational text.
            if (tag == TagFocalLength && (type == TypeRational || type == TypeSRational))
                text = FocalLengthText(lastNumerator, lastDenominator);
            if (cut)
                text += CutMark;
        }
        out.push_back({std::move(text), static_cast<std::uint16_t>(tag)});
    }

    const Block& b;
    std::vector<TTagItem>& out;
    std::unordered_set<std::uint32_t> visited;
    int depth = 0;
    int& entriesRead;
    bool& entriesCut;
    std::uint32_t& elementsLeft;
};

std::uint32_t BigEndian32(const unsigned char* b)
{
    return std::uint32_t(b[0]) << 24 | std::uint32_t(b[1]) << 16 | std::uint32_t(b[2]) << 8 | b[3];
}

// The boxes that follow one another in [pos, end) of an ISO media file:
// a 32-bit big-endian size and a four-letter type; size 1 puts a 64-bit
// size after the type, size 0 runs the box to the end of its container.
// A box that claims more than there is keeps what there is and ends the
// walk; one whose size is shorter than its own header ends it at once.
// Every box is at least its header long, so the walk always moves on.
class BoxWalk {
public:
    BoxWalk(const unsigned char* data, std::uint64_t begin, std::uint64_t stop) : d(data), pos(begin), end(stop) {}

    struct Box {
        const unsigned char* type;
        std::uint64_t at, end;   // its content
    };

    bool Next(Box& box)
    {
        if (pos > end || end - pos < 8)
            return false;
        std::uint64_t size = BigEndian32(d + pos);
        std::uint64_t header = 8;
        if (size == 1) {
            if (end - pos < 16)
                return false;
            size = std::uint64_t(BigEndian32(d + pos + 8)) << 32 | BigEndian32(d + pos + 12);
            header = 16;
        } else if (size == 0) {
            size = end - pos;
        }
        if (size < header)
            return false;
        box.type = d + pos + 4;
        box.at = pos + header;
        box.end = size > end - pos ? end : pos + size;
        pos = box.end;
        return true;
    }

    // The next box of this type, skipping the others.
    bool Find(const char* type, Box& box)
    {
        while (Next(box))
            if (std::memcmp(box.type, type, 4) == 0)
                return true;
        return false;
    }

private:
    const unsigned char* d;
    std::uint64_t pos, end;
};

// Canon's box in moov that holds the Exif of a CR3.
constexpr unsigned char CanonMetadataUuid[16] = {0x85, 0xC0, 0xB6, 0x87, 0x82, 0x0F, 0x11, 0xE0,
                                                 0x81, 0x11, 0xF4, 0xCE, 0x46, 0x2B, 0x6A, 0x48};

// Canon's uuid box in moov, the first moov of the file.
bool FindCanonBox(const unsigned char* data, std::size_t size, BoxWalk::Box& uuid)
{
    BoxWalk top(data, 0, size);
    BoxWalk::Box moov{};
    if (!top.Find("moov", moov))
        return false;
    BoxWalk inMoov(data, moov.at, moov.end);
    while (inMoov.Find("uuid", uuid))
        if (uuid.end - uuid.at >= 16 && std::memcmp(data + uuid.at, CanonMetadataUuid, 16) == 0)
            return true;
    return false;
}

// The limited reading of a RAF's embedded JPEG: its bytes and no more.
class LimitedSource final : public TImageMetadata::Source {
public:
    LimitedSource(TImageMetadata::Source& source, std::uint64_t limit) : inner(source), left(limit) {}

    bool ReadBytes(char* buffer, std::size_t n) override
    {
        if (n > left)
            return false;
        left -= n;
        return inner.ReadBytes(buffer, n);
    }
    std::size_t ReadSome(char* buffer, std::size_t n) override
    {
        const std::size_t got = inner.ReadSome(buffer, std::min<std::uint64_t>(n, left));
        left -= got;
        return got;
    }
    void Skip(std::size_t n) override
    {
        n = std::min<std::uint64_t>(n, left);
        left -= n;
        inner.Skip(n);
    }

private:
    TImageMetadata::Source& inner;
    std::uint64_t left;
};

} // namespace

bool StartsLikeTiff(std::string_view bytes)
{
    if (bytes.size() < 4)
        return false;
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    if (b[0] == 'I' && b[1] == 'I') {
        const unsigned magic = b[2] | b[3] << 8;
        return magic == 42 || magic == 0x4F52 || magic == 0x5352 || magic == 0x55;
    }
    if (b[0] == 'M' && b[1] == 'M') {
        const unsigned magic = b[2] << 8 | b[3];
        return magic == 42 || magic == 0x4F52;
    }
    return false;
}

TImageMetadata::TImageMetadata(const std::string& fileName)
{
    FileSource source;
    OpenReason = source.Open(fileName);
    if (!OpenReason.empty()) {
        SetError(ExifStatus::OpenFailed);
        return;
    }
    Read(source);
}

TImageMetadata TImageMetadata::FromBytes(std::string_view fileBytes)
{
    TImageMetadata reader;
    MemorySource source(fileBytes);
    reader.Read(source);
    return reader;
}

void TImageMetadata::SetError(std::int32_t code)
{
    ErrorCode = code;
    if (code != 0)
        Failed = true;
}

void TImageMetadata::Read(Source& source)
{
    unsigned char start[2];
    if (!source.ReadBytes(reinterpret_cast<char*>(start), 2)) {
        SetError(ExifStatus::ReadFailed);
        return;
    }
    StartSeen = true;
    const std::uint16_t first = static_cast<std::uint16_t>(start[0] << 8 | start[1]);
    if (first == 0xFFD8) {
        ReadMarkers(source, true);
    } else if (first == 0x4949 || first == 0x4D4D) {   // "II", "MM": a RAW file built on TIFF
        ReadTiffFile(source, first);
    } else if (first == 0x4655) {   // "FU": Fujifilm's RAF, whose JPEG preview holds the Exif
        ReadRafFile(source);
    } else {
        ReadIsoMediaFile(source, start);
    }
}

void TImageMetadata::ReadMarkers(Source& source, bool soiRead)
{
    auto readWord = [&](std::uint16_t& word) {
        unsigned char bytes[2];
        if (!source.ReadBytes(reinterpret_cast<char*>(bytes), 2)) {
            SetError(ExifStatus::ReadFailed);
            return false;
        }
        word = static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1]);
        return true;
    };

    // The marker scan: no check of the 0xFF prefix, no fill bytes; every
    // marker after SOI is taken to carry a length.
    // Not zero-filled first: it is read over at once.
    std::unique_ptr<char[]> payloadBytes;
    std::size_t payloadSize = 0;
    while (!Failed) {
        std::uint16_t marker;
        if (!readWord(marker))
            return;
        if (!soiRead) {
            soiRead = true;
            if (marker == 0xFFD8)
                continue;
            SetError(ExifStatus::NotJpeg);
            continue;
        }
        if (marker == 0xFFD9 || marker == 0xFFDA) {
            SetError(ExifStatus::NoApp1);
            return;
        }
        std::uint16_t length;
        if (!readWord(length))
            return;
        // Lengths 0 and 1 wrap around to 65534 and 65535 bytes.
        std::size_t size = static_cast<std::uint16_t>(length - 2);
        if (marker == 0xFFE1) {
            payloadBytes.reset(new char[size]);
            payloadSize = size;
            if (!source.ReadBytes(payloadBytes.get(), size)) {
                SetError(ExifStatus::ReadFailed);
                return;
            }
            break;
        }
        source.Skip(size);
    }
    if (Failed)
        return;

    static constexpr char exifHeader[6] = {'E', 'x', 'i', 'f', 0, 0};
    const std::string_view payload(payloadBytes.get(), payloadSize);
    if (payload.size() < 14 || std::memcmp(payload.data(), exifHeader, 6) != 0) {
        SetError(ExifStatus::NotExif);
        return;
    }
    const auto* tiff = reinterpret_cast<const unsigned char*>(payload.data()) + 6;
    if (std::memcmp(tiff, "II*\0", 4) != 0 && std::memcmp(tiff, "MM\0*", 4) != 0) {
        SetError(ExifStatus::BadByteOrder);
        return;
    }
    ReadTiff(tiff, payload.size() - 6);
}

void TImageMetadata::ReadTiff(const unsigned char* tiff, std::size_t size)
{
    if (size < 8 || !StartsLikeTiff(std::string_view(reinterpret_cast<const char*>(tiff), 4))) {
        SetError(ExifStatus::BadByteOrder);
        return;
    }
    Block block{tiff, static_cast<std::uint32_t>(std::min<std::size_t>(size, std::numeric_limits<std::uint32_t>::max())), tiff[0] == 'I'};
    WalkBudget budget;
    DirectoryWalker walker(block, Tags, budget);
    walker.WalkChain(block.U32(4));
    TagsCut = budget.entriesCut;
    SetError(ExifStatus::Ok);
}

void TImageMetadata::ReadTiffFile(Source& source, std::uint16_t order)
{
    // The directories of such files lie before their picture data; the
    // start of the file holds them.
    std::vector<unsigned char> head(RawTiffHeadBytes);
    head[0] = head[1] = static_cast<unsigned char>(order >> 8);
    const std::size_t got = source.ReadSome(reinterpret_cast<char*>(head.data()) + 2, head.size() - 2);
    ReadTiff(head.data(), got + 2);
}

void TImageMetadata::ReadRafFile(Source& source)
{
    unsigned char header[RafHeaderBytes] = {'F', 'U'};
    std::uint32_t offset = 0, length = 0;
    if (!source.ReadBytes(reinterpret_cast<char*>(header) + 2, sizeof header - 2)
        || !RafJpegPlace(std::string_view(reinterpret_cast<const char*>(header), sizeof header), offset, length)) {
        SetError(ExifStatus::NotJpeg);
        return;
    }
    source.Skip(offset - RafHeaderBytes);
    // The marker scan stays within the JPEG: past it lie the sensor's data.
    LimitedSource jpeg(source, length);
    ReadMarkers(jpeg, false);
}

void TImageMetadata::ReadIsoMediaFile(Source& source, const unsigned char* start)
{
    // A CR3 keeps its Exif in moov, which follows ftyp at the start of the
    // file; anything else is no file the reader knows.
    std::vector<unsigned char> head(12);
    head[0] = start[0];
    head[1] = start[1];
    if (!source.ReadBytes(reinterpret_cast<char*>(head.data()) + 2, 10)
        || !StartsLikeCr3(std::string_view(reinterpret_cast<const char*>(head.data()), head.size()))) {
        SetError(ExifStatus::NotJpeg);
        return;
    }
    head.resize(RawTiffHeadBytes);
    const std::size_t got = source.ReadSome(reinterpret_cast<char*>(head.data()) + 12, head.size() - 12) + 12;
    ReadCr3(head.data(), got);
}

void TImageMetadata::ReadCr3(const unsigned char* data, std::size_t size)
{
    // ftyp, then moov; in moov Canon's uuid box, and in that CMT1 (IFD0)
    // and CMT2 (the Exif directory), each a whole TIFF structure. The path
    // is fixed, so no nesting deeper than it is ever followed.
    BoxWalk::Box uuid{}, box{};
    if (!FindCanonBox(data, size, uuid)) {
        SetError(ExifStatus::NotExif);
        return;
    }
    WalkBudget budget;
    bool read = false, bad = false;
    BoxWalk inUuid(data, uuid.at + 16, uuid.end);
    while (inUuid.Next(box)) {
        if (std::memcmp(box.type, "CMT1", 4) != 0 && std::memcmp(box.type, "CMT2", 4) != 0)
            continue;
        const std::uint64_t length = box.end - box.at;
        if (length < 8 || !StartsLikeTiff(std::string_view(reinterpret_cast<const char*>(data + box.at), 4))) {
            bad = true;
            continue;
        }
        Block block{data + box.at, static_cast<std::uint32_t>(std::min<std::uint64_t>(length, std::numeric_limits<std::uint32_t>::max())),
                    data[box.at] == 'I'};
        DirectoryWalker walker(block, Tags, budget);
        walker.WalkChain(block.U32(4));
        read = true;
    }
    TagsCut = budget.entriesCut;
    SetError(read ? ExifStatus::Ok : bad ? ExifStatus::BadByteOrder : ExifStatus::NotExif);
}

TImageMetadata TImageMetadata::FromRawHead(std::string_view head)
{
    return StartsLikeTiff(head) ? FromTiff(head) : FromBytes(head);
}

bool StartsLikeCr3(std::string_view bytes)
{
    return bytes.size() >= 12 && bytes.substr(4, 8) == "ftypcrx ";
}

std::size_t Cr3ExifEnd(std::string_view head)
{
    BoxWalk::Box uuid{};
    if (!StartsLikeCr3(head) || !FindCanonBox(reinterpret_cast<const unsigned char*>(head.data()), head.size(), uuid))
        return 0;
    return static_cast<std::size_t>(uuid.end);
}

bool RafJpegPlace(std::string_view header, std::uint32_t& offset, std::uint32_t& length)
{
    if (header.size() < RafHeaderBytes || header.substr(0, 16) != "FUJIFILMCCD-RAW ")
        return false;
    const auto* b = reinterpret_cast<const unsigned char*>(header.data());
    offset = BigEndian32(b + 84);
    length = BigEndian32(b + 88);
    return offset >= RafHeaderBytes;
}

TImageMetadata TImageMetadata::FromTiff(std::string_view tiff)
{
    TImageMetadata reader;
    reader.StartSeen = true;
    reader.ReadTiff(reinterpret_cast<const unsigned char*>(tiff.data()), tiff.size());
    return reader;
}

std::string TrimText(std::string_view text)
{
    std::size_t begin = 0, end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 32)
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32)
        --end;
    return std::string(text.substr(begin, end - begin));
}

std::string WideToAnsi(std::string_view utf16le)
{
    std::string out;
    const std::size_t units = utf16le.size() / 2;
    auto unit = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(utf16le[2 * i]) |
                                          static_cast<unsigned char>(utf16le[2 * i + 1]) << 8);
    };
    for (std::size_t i = 0; i < units; ++i) {
        std::uint32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            out += '?';
        } else {
            AppendUtf8(out, u);
        }
    }
    return TrimText(out);
}

} // namespace tetrafot
