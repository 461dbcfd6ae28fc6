#pragma once
// Writing the reader's test files and reading them back.
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

#include "exifbuilder.h"
#include "metadata/phmetadata.h"

using namespace tetrafot;

namespace exiftest {

using Items = std::vector<std::pair<int, std::string>>;

inline Items ItemsOf(const TImageMetadata& reader)
{
    Items items;
    for (const TTagItem& item : reader.Tags)
        items.emplace_back(item.tag, item.text);
    return items;
}

// A JPEG made of SOI, one Exif APP1 segment, a scan and EOI.
inline QByteArray ExifJpeg(const exif::ExifBuilder& builder)
{
    return exif::MiniJpeg({exif::Segment(0xE1, builder.Payload())});
}

// Each test gets its own folder; the reader runs on a real file, and the
// in-memory reading that the fuzzer uses must agree with it.
// Numbers read with a point unless a test says otherwise.
class ExifFileTest : public ::testing::Test {
protected:
    ExifFileTest() { SetMetadataDecimalSeparator('.'); }
    ~ExifFileTest() override { ResetMetadataDecimalSeparator(); }

    std::string Write(const QByteArray& bytes, const QString& name = QStringLiteral("photo.jpg"))
    {
        QString path = dir.filePath(name);
        EXPECT_TRUE(exif::WriteBytesToFile(path, bytes));
        return path.toStdString();
    }

    TImageMetadata Read(const QByteArray& fileBytes)
    {
        TImageMetadata reader(Write(fileBytes));
        TImageMetadata inMemory = TImageMetadata::FromBytes(std::string_view(fileBytes.constData(), fileBytes.size()));
        EXPECT_EQ(inMemory.ErrorCode, reader.ErrorCode) << "the in-memory reading differs";
        EXPECT_EQ(ItemsOf(inMemory), ItemsOf(reader)) << "the in-memory reading differs";
        return reader;
    }

    // Status and items of a block in a minimal JPEG.
    Items ReadItems(const exif::ExifBuilder& builder)
    {
        TImageMetadata reader = Read(ExifJpeg(builder));
        EXPECT_EQ(reader.ErrorCode, 0);
        return ItemsOf(reader);
    }

    // The text of the only item of a block holding one IFD0 entry.
    std::string TextOf(const exif::ExifEntry& entry, exif::ExifOrder order = exif::ExifOrder::Intel)
    {
        exif::ExifBuilder builder(order);
        builder.Add(exif::ExifDir::Ifd0, entry);
        Items items = ReadItems(builder);
        if (items.size() != 1) {
            ADD_FAILURE() << "expected one item, got " << items.size();
            return "<no single item>";
        }
        EXPECT_EQ(items[0].first, entry.tag);
        return items[0].second;
    }

    QTemporaryDir dir;
};

// Sets the decimal separator for one test and puts the system's back.
class DecimalSeparator {
public:
    explicit DecimalSeparator(char separator) { SetMetadataDecimalSeparator(separator); }
    ~DecimalSeparator() { ResetMetadataDecimalSeparator(); }
    DecimalSeparator(const DecimalSeparator&) = delete;
    DecimalSeparator& operator=(const DecimalSeparator&) = delete;
};

} // namespace exiftest
