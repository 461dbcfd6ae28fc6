#include "pipeline/bufferpool.h"
#include "pipeline/decodecache.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

using namespace tetrafot;

namespace {

// Photos of 1000 bytes each (a 1000 x 1 grey picture), named by a letter.
std::shared_ptr<const DecodedPhoto> Photo(char name, qint64 mtime = 1)
{
    auto p = std::make_shared<DecodedPhoto>();
    p->identity = {QString(QChar(name)), 1000, mtime, 7};
    p->image = QImage(1000, 1, QImage::Format_Grayscale8);
    return p;
}

struct LruRow {
    const char* name;
    const char* ops;   // +X insert, ?X find, hX insert and hold, -X let go, ~X find X changed on disk
    const char* kept;  // what the cache holds afterwards, in name order
};

void PrintTo(const LruRow& r, std::ostream* os) { *os << r.ops; }

class CacheLru : public testing::TestWithParam<LruRow> {};

TEST_P(CacheLru, PushesOutTheLeastRecentlyUsedThatNobodyHolds)
{
    const LruRow row = GetParam();
    DecodeCache cache(3000);
    std::map<char, std::shared_ptr<const DecodedPhoto>> held;
    std::istringstream ops(row.ops);
    for (std::string op; ops >> op;) {
        const char n = op[1];
        switch (op[0]) {
        case '+': cache.insert(Photo(n)); break;
        case 'h': held[n] = cache.insert(Photo(n)); break;
        case '-': held.erase(n); break;
        case '?': EXPECT_TRUE(cache.find(Photo(n)->identity, 1)) << op; break;
        case '~': EXPECT_FALSE(cache.find(Photo(n, 2)->identity, 1)) << op; break;
        }
    }
    std::string kept;
    qint64 bytes = 0;
    for (char n = 'A'; n <= 'Z'; ++n)
        if (cache.fullSize(Photo(n)->identity)) {
            kept += n;
            bytes += 1000;
        }
    EXPECT_EQ(kept, row.kept);
    EXPECT_EQ(cache.usedBytes(), bytes);
    EXPECT_EQ(cache.count(), int(kept.size()));
}

INSTANTIATE_TEST_SUITE_P(Cases, CacheLru,
    testing::Values(LruRow{"OldestOut", "+A +B +C +D", "BCD"},
                    LruRow{"FindRefreshes", "+A +B +C ?A +D", "ACD"},
                    LruRow{"HeldIsPassedOver", "+A hB +C +D +E", "BDE"},
                    LruRow{"AllHeldGoesOverBudget", "hA hB hC +D", "ABCD"},
                    LruRow{"LetGoThenOut", "hA hB hC +D -A +E", "BCE"},
                    LruRow{"SameKeyOnce", "+A +A +B", "AB"},
                    LruRow{"ChangedFileDropped", "+A +B ~A +C", "BC"}),
    [](const testing::TestParamInfo<LruRow>& info) { return std::string(info.param.name); });

TEST(DecodeCache, InsertOfAHeldKeyReturnsTheHeldPhotoAndMakeRoomSaysWhetherItFits)
{
    DecodeCache cache(3000);
    const auto a = cache.insert(Photo('A'));
    EXPECT_EQ(cache.insert(Photo('A')), a);
    cache.insert(Photo('B'));
    EXPECT_FALSE(cache.makeRoom(2500));   // A is held: B would go for nothing
    EXPECT_EQ(cache.count(), 2);
    EXPECT_TRUE(cache.makeRoom(2000));    // B goes
    EXPECT_EQ(cache.count(), 1);
    cache.remove(QStringLiteral("A"));
    EXPECT_EQ(cache.usedBytes(), 0);
    EXPECT_GE(DecodeCache::DefaultBudget(), qint64(512) << 20);
}

TEST(BufferPool, ReusesAFreedBufferThatFitsAndKeepsNoMoreThanItsBound)
{
    // Pictures of any size come back to the same buffer: 6,000,000 bytes
    // (kept as 6 MiB, three huge pages), 4,500,000 and 1,125,000 bytes.
    for (const QSize size : {QSize(2000, 1000), QSize(1500, 1000), QSize(750, 500)}) {
        BufferPool pool;
        const uchar* first = pool.allocate(size, QImage::Format_RGB888).constBits();
        EXPECT_EQ(pool.allocate(size, QImage::Format_RGB888).constBits(), first) << size.width();
        EXPECT_EQ(pool.freshAllocations(), 1) << size.width();
    }
    BufferPool pool(13 << 20);
    const QSize big(2000, 1000);
    const uchar* first;
    {
        QImage a = pool.allocate(big, QImage::Format_RGB888);
        ASSERT_FALSE(a.isNull());
        EXPECT_EQ(a.bytesPerLine(), 6000);
        first = a.constBits();
    }
    EXPECT_EQ(pool.keptCount(), 1);
    {
        QImage b = pool.allocate(big, QImage::Format_RGB888);
        EXPECT_EQ(b.constBits(), first) << "the freed buffer is handed out again";
        b.bits()[0] = 1;   // written in place, not copied
        EXPECT_EQ(b.constBits(), first);
    }
    {
        // A far smaller picture would waste the big buffer: it gets its own.
        QImage small = pool.allocate(QSize(1000, 1000), QImage::Format_RGB888);
        EXPECT_NE(small.constBits(), first);
        EXPECT_EQ(pool.freshAllocations(), 2);
        EXPECT_EQ(pool.keptCount(), 1);
    }
    {
        QImage c[3] = {pool.allocate(big, QImage::Format_RGB888), pool.allocate(big, QImage::Format_RGB888),
                       pool.allocate(big, QImage::Format_RGB888)};
    }
    EXPECT_EQ(pool.keptCount(), 2);
    EXPECT_LE(pool.keptBytes(), 13 << 20);
    // Small pictures are plain QImages; a picture may outlive its pool.
    { QImage tiny = pool.allocate(QSize(10, 10), QImage::Format_Indexed8); }
    EXPECT_EQ(pool.keptCount(), 2);
    QImage survivor;
    {
        BufferPool shortLived;
        survivor = shortLived.allocate(big, QImage::Format_RGB888);
    }
    survivor.fill(Qt::red);
}

} // namespace
