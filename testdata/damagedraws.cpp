#include "damagedraws.h"

#include "jpegwriter.h"
#include "rawwriter.h"

#include <algorithm>
#include <cstdint>

namespace tetrafot {

namespace {

QByteArray WithLong(QByteArray bytes, std::uint32_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[qsizetype(at) + i] = char(value >> (8 * i));   // the writer's files are little-endian
    return bytes;
}

QByteArray WithBig32(QByteArray bytes, int at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char(value >> (24 - 8 * i));
    return bytes;
}

} // namespace

std::vector<DamagedRaw> MakeDamagedRaws()
{
    JpegSpec js;
    js.width = 1200;
    js.height = 900;
    raw::DngSpec dng;
    dng.preview = MakeJpeg(js);
    dng.previewSize = QSize(1200, 900);
    const QByteArray good = raw::MakeDng(dng);
    const raw::DngLayout at = raw::FindDngPreview(good);
    const qsizetype headers = qsizetype(at.previewOffset);
    const auto size = std::uint32_t(good.size());

    std::vector<DamagedRaw> out;
    const auto add = [&out](const char* category, const std::string& name, QByteArray bytes) {
        out.push_back({category, std::string(category) + "-" + name, std::move(bytes)});
    };
    for (qsizetype cut : {qsizetype(0), qsizetype(4), qsizetype(8), qsizetype(30), headers / 2, headers - 1,
                          headers, headers + 2, headers + qsizetype(at.previewLength) / 2, good.size() - 2})
        add("truncated", std::to_string(cut), good.left(cut));
    // One flip every 11 bytes of the directories at the start (the mosaic
    // behind them is never read), each at another bit.
    for (qsizetype i = 0; i < std::min<qsizetype>(headers, 1024); i += 11) {
        QByteArray file = good;
        file[i] = char(file[i] ^ (1 << (i % 8)));
        add("header-bitflip", std::to_string(i), file);
    }
    for (std::uint32_t offset : {size, size + 1, size + 4096, 0x7FFFFFFFu, 0xFFFFFFFFu})
        add("offset-past-end", std::to_string(offset), WithLong(good, at.offsetField, offset));
    add("length-4gb", "ffffffff", WithLong(good, at.lengthField, 0xFFFFFFFFu));
    add("length-4gb", "at-zero", WithLong(WithLong(good, at.lengthField, 0xFFFFFFFFu), at.offsetField, 0));

    const auto addAs = [&add, &out](const char* extension, const char* category, const std::string& name, QByteArray bytes) {
        add(category, name, std::move(bytes));
        out.back().extension = extension;
    };
    raw::RafSpec rafDescription;
    rafDescription.jpeg = raw::RafJpeg(dng.preview, rafDescription.model, 6);
    const QByteArray raf = raw::MakeRaf(rafDescription);
    const qsizetype rafJpegEnd = 148 + rafDescription.jpeg.size();
    for (qsizetype cut : {qsizetype(0), qsizetype(16), qsizetype(88), qsizetype(147), qsizetype(148), qsizetype(160),
                          qsizetype(148 + 2048), rafJpegEnd / 2, rafJpegEnd, rafJpegEnd + 10, raf.size() - 2})
        addAs("RAF", "raf-truncated", std::to_string(cut), raf.left(cut));
    for (qsizetype i = 0; i < 148; i += 3) {
        QByteArray file = raf;
        file[i] = char(file[i] ^ (1 << (i % 8)));
        addAs("RAF", "raf-header-bitflip", std::to_string(i), file);
    }
    const auto rafSize = std::uint32_t(raf.size());
    for (std::uint32_t offset : {rafSize, rafSize + 1, 0x7FFFFFFFu, 0xFFFFFFFFu})
        addAs("RAF", "raf-offset-past-end", std::to_string(offset), WithBig32(raf, raw::RafJpegOffsetField, offset));
    addAs("RAF", "raf-length-4gb", "ffffffff", WithBig32(raf, raw::RafJpegLengthField, 0xFFFFFFFFu));

    raw::Cr3Spec cr3Description;
    cr3Description.preview = dng.preview;
    cr3Description.previewSize = QSize(1200, 900);
    const QByteArray cr3 = raw::MakeCr3(cr3Description);
    const qsizetype moovAt = 24;   // after ftyp
    const qsizetype uuidAt = moovAt + 8;
    for (qsizetype cut : {qsizetype(0), qsizetype(7), qsizetype(23), moovAt + 4, uuidAt + 12, uuidAt + 40, uuidAt + 200,
                          cr3.size() / 2, cr3.size() - 2})
        addAs("CR3", "cr3-truncated", std::to_string(cut), cr3.left(cut));
    for (qsizetype i = 0; i < std::min<qsizetype>(cr3.size(), 600); i += 7) {
        QByteArray file = cr3;
        file[i] = char(file[i] ^ (1 << (i % 8)));
        addAs("CR3", "cr3-bitflip", std::to_string(i), file);
    }
    const std::pair<const char*, std::uint32_t> sizes[] = {{"zero", 0}, {"one-no-room", 1}, {"four", 4},
                                                           {"past-end", 0x7FFFFFFFu}, {"4gb", 0xFFFFFFFFu}};
    for (const auto& [name, value] : sizes) {
        addAs("CR3", "cr3-box-size", std::string("moov-") + name, WithBig32(cr3, int(moovAt), value));
        addAs("CR3", "cr3-box-size", std::string("uuid-") + name, WithBig32(cr3, int(uuidAt), value));
    }
    return out;
}

} // namespace tetrafot
