#include "exifbuilder.h"

#include <QFile>
#include <bit>

namespace tetrafot {

namespace exif {

namespace {

constexpr int TypeSizes[13] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};

void Put(QByteArray& out, ExifOrder order, int size, std::uint64_t bits)
{
    for (int i = 0; i < size; ++i) {
        int shift = order == ExifOrder::Intel ? 8 * i : 8 * (size - 1 - i);
        out.append(static_cast<char>((bits >> shift) & 0xFF));
    }
}

void PutAt(QByteArray& out, std::uint32_t at, ExifOrder order, int size, std::uint64_t bits)
{
    QByteArray bytes;
    Put(bytes, order, size, bits);
    out.replace(static_cast<qsizetype>(at), size, bytes);
}

template <typename T>
ExifEntry Simple(std::uint16_t tag, std::uint16_t type, const std::vector<T>& values)
{
    ExifEntry e;
    e.tag = tag;
    e.type = type;
    e.count = static_cast<std::uint32_t>(values.size());
    int size = TypeSizes[type];
    for (T v : values) {
        std::uint64_t bits;
        if constexpr (std::is_same_v<T, float>)
            bits = std::bit_cast<std::uint32_t>(v);
        else if constexpr (std::is_same_v<T, double>)
            bits = std::bit_cast<std::uint64_t>(v);
        else
            bits = static_cast<std::uint64_t>(v) & (size == 8 ? ~0ull : (1ull << (8 * size)) - 1);
        e.parts.push_back({size, bits});
    }
    return e;
}

ExifEntry Bytes(std::uint16_t tag, std::uint16_t type, std::string_view bytes)
{
    ExifEntry e;
    e.tag = tag;
    e.type = type;
    e.count = static_cast<std::uint32_t>(bytes.size());
    for (unsigned char c : bytes)
        e.parts.push_back({1, c});
    return e;
}

std::uint16_t PointerTarget(std::uint16_t tag)
{
    return tag == 0x8769 ? 1 : tag == 0xA005 ? 2 : 0;
}

} // namespace

ExifEntry ExifEntry::WithCount(std::uint32_t n) const
{
    ExifEntry e = *this;
    e.count = n;
    return e;
}

ExifEntry ExifEntry::WithValueField(std::uint32_t field) const
{
    ExifEntry e = *this;
    e.valueField = field;
    return e;
}

std::size_t ExifEntry::ValueBytes() const
{
    std::size_t n = 0;
    for (const auto& part : parts)
        n += static_cast<std::size_t>(part.first);
    return n;
}

ExifEntry Byte(std::uint16_t tag, const std::vector<std::uint8_t>& values) { return Simple(tag, tByte, values); }
ExifEntry SByte(std::uint16_t tag, const std::vector<std::int8_t>& values) { return Simple(tag, tSByte, values); }
ExifEntry Short(std::uint16_t tag, const std::vector<std::uint16_t>& values) { return Simple(tag, tShort, values); }
ExifEntry SShort(std::uint16_t tag, const std::vector<std::int16_t>& values) { return Simple(tag, tSShort, values); }
ExifEntry Long(std::uint16_t tag, const std::vector<std::uint32_t>& values) { return Simple(tag, tLong, values); }
ExifEntry SLong(std::uint16_t tag, const std::vector<std::int32_t>& values) { return Simple(tag, tSLong, values); }
ExifEntry Float(std::uint16_t tag, const std::vector<float>& values) { return Simple(tag, tFloat, values); }
ExifEntry Double(std::uint16_t tag, const std::vector<double>& values) { return Simple(tag, tDouble, values); }

ExifEntry Ascii(std::uint16_t tag, std::string_view text)
{
    ExifEntry e = Bytes(tag, tAscii, text);
    e.parts.push_back({1, 0});
    e.count += 1;
    return e;
}

ExifEntry AsciiBytes(std::uint16_t tag, std::string_view bytes) { return Bytes(tag, tAscii, bytes); }
ExifEntry Undefined(std::uint16_t tag, std::string_view bytes) { return Bytes(tag, tUndefined, bytes); }

ExifEntry Rational(std::uint16_t tag, const std::vector<std::pair<std::uint32_t, std::uint32_t>>& values)
{
    ExifEntry e;
    e.tag = tag;
    e.type = tRational;
    e.count = static_cast<std::uint32_t>(values.size());
    for (auto [n, d] : values) {
        e.parts.push_back({4, n});
        e.parts.push_back({4, d});
    }
    return e;
}

ExifEntry SRational(std::uint16_t tag, const std::vector<std::pair<std::int32_t, std::int32_t>>& values)
{
    ExifEntry e;
    e.tag = tag;
    e.type = tSRational;
    e.count = static_cast<std::uint32_t>(values.size());
    for (auto [n, d] : values) {
        e.parts.push_back({4, static_cast<std::uint32_t>(n)});
        e.parts.push_back({4, static_cast<std::uint32_t>(d)});
    }
    return e;
}

ExifEntry RawEntry(std::uint16_t tag, std::uint16_t type, std::uint32_t count, std::string_view bytes)
{
    ExifEntry e = Bytes(tag, type, bytes);
    e.count = count;
    return e;
}

ExifEntry Pointer(std::uint16_t tag)
{
    ExifEntry e;
    e.tag = tag;
    e.type = tLong;
    e.count = 1;
    e.pointer = true;
    return e;
}

ExifBuilder& ExifBuilder::Add(ExifDir dir, const ExifEntry& entry)
{
    dirs_[static_cast<int>(dir)].entries.push_back(entry);
    return *this;
}

ExifBuilder& ExifBuilder::Include(ExifDir dir)
{
    dirs_[static_cast<int>(dir)].included = true;
    return *this;
}

ExifBuilder& ExifBuilder::SetIfd0Offset(std::uint32_t offset)
{
    ifd0Offset_ = offset;
    return *this;
}

ExifBuilder& ExifBuilder::SetNextOffset(ExifDir dir, std::uint32_t offset)
{
    dirs_[static_cast<int>(dir)].nextOffset = offset;
    return *this;
}

ExifBuilder& ExifBuilder::SetEntryCountWord(ExifDir dir, std::uint16_t n)
{
    dirs_[static_cast<int>(dir)].countWord = n;
    return *this;
}

ExifBuilder& ExifBuilder::TruncateTiff(std::size_t bytes)
{
    truncate_ = bytes;
    return *this;
}

ExifBuilder& ExifBuilder::AppendTiff(const QByteArray& bytes)
{
    tail_ += bytes;
    return *this;
}

bool ExifBuilder::Written(ExifDir dir) const
{
    auto has = [&](ExifDir d) {
        const Directory& x = dirs_[static_cast<int>(d)];
        return x.included || !x.entries.empty();
    };
    switch (dir) {
    case ExifDir::Ifd0: return true;
    case ExifDir::Exif: return has(ExifDir::Exif) || has(ExifDir::Interop);
    default: return has(dir);
    }
}

ExifBuilder::Layout ExifBuilder::MakeLayout() const
{
    Layout layout;
    for (int d = 0; d < 4; ++d)
        layout.entries[d] = dirs_[d].entries;
    // The automatic pointers, unless the caller placed them.
    auto addPointer = [&](ExifDir in, std::uint16_t tag, ExifDir to) {
        if (!Written(to))
            return;
        auto& list = layout.entries[static_cast<int>(in)];
        for (const ExifEntry& e : list)
            if (e.tag == tag)
                return;
        list.push_back(Pointer(tag));
    };
    addPointer(ExifDir::Exif, 0xA005, ExifDir::Interop);
    addPointer(ExifDir::Ifd0, 0x8769, ExifDir::Exif);

    std::uint32_t at = 8;
    for (int d = 0; d < 4; ++d) {
        if (!Written(static_cast<ExifDir>(d)))
            continue;
        layout.offset[d] = at;
        at += 2 + 12 * static_cast<std::uint32_t>(layout.entries[d].size()) + 4;
        for (const ExifEntry& e : layout.entries[d]) {
            std::size_t bytes = e.ValueBytes();
            if (bytes > 4 && !e.valueField) {
                at += static_cast<std::uint32_t>(bytes);
                at += at & 1; // values start on a word boundary
            }
        }
    }
    layout.end = at;
    return layout;
}

std::uint32_t ExifBuilder::DirectoryOffset(ExifDir dir) const
{
    return MakeLayout().offset[static_cast<int>(dir)];
}

QByteArray ExifBuilder::Tiff() const
{
    const Layout layout = MakeLayout();
    QByteArray out;
    if (order_ == ExifOrder::Intel)
        out.append("II\x2A\x00", 4);
    else
        out.append("MM\x00\x2A", 4);
    Put(out, order_, 4, ifd0Offset_.value_or(layout.offset[0]));

    for (int d = 0; d < 4; ++d) {
        if (!Written(static_cast<ExifDir>(d)))
            continue;
        const auto& entries = layout.entries[d];
        const Directory& dir = dirs_[d];
        Q_ASSERT(static_cast<std::uint32_t>(out.size()) == layout.offset[d]);
        Put(out, order_, 2, dir.countWord.value_or(static_cast<std::uint16_t>(entries.size())));
        const std::uint32_t entriesAt = static_cast<std::uint32_t>(out.size());
        out.append(QByteArray(12 * static_cast<qsizetype>(entries.size()), '\0'));
        std::uint32_t next = 0;
        if (d == 0 && Written(ExifDir::Ifd1))
            next = layout.offset[3];
        Put(out, order_, 4, dir.nextOffset.value_or(next));

        for (std::size_t i = 0; i < entries.size(); ++i) {
            const ExifEntry& e = entries[i];
            const std::uint32_t at = entriesAt + 12 * static_cast<std::uint32_t>(i);
            PutAt(out, at, order_, 2, e.tag);
            PutAt(out, at + 2, order_, 2, e.type);
            PutAt(out, at + 4, order_, 4, e.count);
            QByteArray value;
            for (const auto& [size, bits] : e.parts)
                Put(value, order_, size, bits);
            if (e.valueField) {
                PutAt(out, at + 8, order_, 4, *e.valueField);
            } else if (e.pointer) {
                PutAt(out, at + 8, order_, 4, layout.offset[PointerTarget(e.tag)]);
            } else if (value.size() <= 4) {
                out.replace(at + 8, value.size(), value);
            } else {
                PutAt(out, at + 8, order_, 4, static_cast<std::uint32_t>(out.size()));
                out += value;
                if (out.size() & 1)
                    out.append('\0');
            }
        }
    }
    out += tail_;
    if (truncate_ && static_cast<qsizetype>(*truncate_) < out.size())
        out.truncate(static_cast<qsizetype>(*truncate_));
    return out;
}

QByteArray ExifBuilder::Payload() const
{
    return QByteArray("Exif\0\0", 6) + Tiff();
}

QByteArray Segment(int code, const QByteArray& payload)
{
    return SegmentWithLength(code, static_cast<std::uint16_t>(payload.size() + 2), payload);
}

QByteArray SegmentWithLength(int code, std::uint16_t length, const QByteArray& payload)
{
    QByteArray out;
    out.append('\xFF');
    out.append(static_cast<char>(code));
    out.append(static_cast<char>(length >> 8));
    out.append(static_cast<char>(length & 0xFF));
    return out + payload;
}

QByteArray MiniJpeg(const std::vector<QByteArray>& segments, bool withScan)
{
    QByteArray out("\xFF\xD8", 2);
    for (const QByteArray& s : segments)
        out += s;
    if (withScan) {
        // A start of scan header and some bytes standing for image data.
        out += Segment(0xDA, QByteArray("\x01\x01\x00\x00\x3F\x00", 6));
        out += QByteArray("\x12\x34\x56\x78\x9A", 5);
        out += QByteArray("\xFF\xD9", 2);
    }
    return out;
}

bool WriteBytesToFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size() && file.flush();
}

} // namespace exif

} // namespace tetrafot
