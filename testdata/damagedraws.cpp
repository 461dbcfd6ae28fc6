#include "damagedraws.h"

#include "jpegwriter.h"
#include "rawwriter.h"

#include <algorithm>
#include <cstdint>

namespace {

QByteArray WithLong(QByteArray bytes, std::uint32_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[qsizetype(at) + i] = char(value >> (8 * i));   // the writer's files are little-endian
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
    return out;
}
