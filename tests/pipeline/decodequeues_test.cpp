#include "pipeline/decodequeues.h"
#include "pipeline/pipelinetesthelpers.h"

#include <gtest/gtest.h>

#include <QStringList>

using namespace tetrafot;

namespace {

// A script of what the pipeline does with its queues, one step a word
// group, and what the workers are given, worked out by hand:
//   ahead a b    the look-ahead becomes a, b          owe x / owe x@2   a whole owed (scale code 1 or 2)
//   urgent u     a getMany share                       take           a worker takes the next task
//   done x       the owed x ends                        finish         a look-ahead task ends
//   keep x       owed decodes other than x dropped      idle           whether nothing owed or ahead is left
// "take" writes what the worker got; "owe" writes "-" when it queued nothing.
struct QueueRow {
    const char* name;
    const char* script;
    const char* taken;
};

using pipelinetest::KeyOf;

QString NameOf(const WholeKey& key)
{
    return key.scaleCode == 1 ? key.identity.path : key.identity.path + QLatin1Char('@') + QString::number(key.scaleCode);
}

QString RunScript(const char* script)
{
    DecodeQueues queues;
    QStringList out;
    for (const QString& step : QString::fromLatin1(script).split(QLatin1String("; "))) {
        QStringList words = step.split(QLatin1Char(' '));
        const QString verb = words.takeFirst();
        if (verb == QLatin1String("ahead")) {
            std::vector<DecodeRequest> requests;
            for (const QString& w : words)
                requests.push_back({w, 1, 0});
            queues.setAhead(requests);
        } else if (verb == QLatin1String("owe")) {
            if (!queues.owe({KeyOf(words[0]), QByteArray(), false, QByteArray()}))
                out << QStringLiteral("-");
        } else if (verb == QLatin1String("urgent")) {
            const QString name = words[0];
            queues.pushUrgent([name, &out] { out << QStringLiteral("urgent ") + name; });
        } else if (verb == QLatin1String("take")) {
            switch (queues.next()) {
            case DecodeQueues::Task::None:
                out << QStringLiteral("nothing");
                break;
            case DecodeQueues::Task::Urgent:
                queues.takeUrgent()();
                break;
            case DecodeQueues::Task::Owed:
                out << QStringLiteral("owed ") + NameOf(queues.startOwed().key);
                break;
            case DecodeQueues::Task::Budget: {
                QStringList paths;
                for (const DecodeRequest& r : queues.startBudget())
                    paths << r.path;
                out << QStringLiteral("budget ") + paths.join(QLatin1Char(' '));
                break;
            }
            case DecodeQueues::Task::Ahead:
                out << QStringLiteral("ahead ") + queues.startAhead().path;
                break;
            }
        } else if (verb == QLatin1String("done")) {
            queues.finishOwed(KeyOf(words[0]));
        } else if (verb == QLatin1String("finish")) {
            queues.finishAhead();
        } else if (verb == QLatin1String("keep")) {
            queues.keepOwed([&](const WholeKey& key) { return words.contains(NameOf(key)); });
        } else if (verb == QLatin1String("idle")) {
            out << (queues.idle() ? QStringLiteral("idle") : QStringLiteral("busy"));
        } else {
            ADD_FAILURE() << "no such step: " << step.toStdString();
        }
    }
    return out.join(QLatin1String(", "));
}

class DecodeQueuesScript : public testing::TestWithParam<QueueRow> {};

TEST_P(DecodeQueuesScript, GivesTheWorkersTheirTasksInOrder)
{
    EXPECT_EQ(RunScript(GetParam().script).toStdString(), GetParam().taken);
}

INSTANTIATE_TEST_SUITE_P(Scripts, DecodeQueuesScript,
    testing::Values(
        // A key's share first, then the whole behind a part, then the budget
        // for the look-ahead (with all of it), then the look-ahead in order.
        QueueRow{"Order", "ahead a b; owe x; urgent u; take; take; take; take; take; take",
                 "urgent u, owed x, budget a b, ahead a, ahead b, nothing"},
        // One whole per file and scale, whether queued or running; once it
        // has ended it may be owed again (a stale whole is).
        QueueRow{"OwedOnce", "owe x; owe x; owe x@2; take; owe x; done x; owe x; take; take",
                 "-, owed x, -, owed x@2, owed x"},
        // A new look-ahead replaces the old one, and its budget is set anew.
        QueueRow{"AheadReplaced", "ahead a b; take; finish; ahead c; take; finish; take; take",
                 "budget a b, budget c, ahead c, nothing"},
        // Walking on drops the wholes not kept; a running one ends as it would.
        QueueRow{"KeepDropsQueuedOnly", "owe x; owe y; owe z; take; keep y; take; take",
                 "owed x, owed y, nothing"},
        // Idle only once nothing owed or looked ahead is queued or running:
        // waitForLookAhead's condition.
        QueueRow{"Idle", "idle; owe x; idle; take; idle; done x; idle; ahead a; idle; take; idle; finish; idle; "
                         "take; idle; finish; idle",
                 "idle, busy, owed x, busy, idle, busy, budget a, busy, busy, ahead a, busy, idle"},
        // A getMany share is its caller's to wait for, not the look-ahead's.
        QueueRow{"UrgentIsNotLookAhead", "urgent u; idle; take; idle", "idle, urgent u, idle"}),
    [](const testing::TestParamInfo<QueueRow>& info) { return std::string(info.param.name); });

// wholeOf takes the one owed decode it needs out of the queue, wherever it
// stands, leaving the others in order.
TEST(DecodeQueues, StartsTheOwedDecodeAskedForAheadOfTheOthers)
{
    DecodeQueues queues;
    for (const char* name : {"x", "y", "z"})
        queues.owe({KeyOf(QString::fromLatin1(name)), QByteArray(name), false, QByteArray()});
    const std::optional<OwedDecode> y = queues.startOwed(KeyOf(QStringLiteral("y")));
    ASSERT_TRUE(y.has_value());
    EXPECT_EQ(y->bytes, QByteArray("y"));
    EXPECT_FALSE(queues.startOwed(KeyOf(QStringLiteral("y"))).has_value());   // running, not queued
    EXPECT_FALSE(queues.startOwed(KeyOf(QStringLiteral("y@2"))).has_value());
    EXPECT_FALSE(queues.owe({KeyOf(QStringLiteral("y")), QByteArray(), false, QByteArray()}));
    EXPECT_EQ(queues.owedCount(), 3u);
    EXPECT_EQ(queues.startOwed().bytes, QByteArray("x"));
    EXPECT_EQ(queues.startOwed().bytes, QByteArray("z"));
    queues.finishOwed(KeyOf(QStringLiteral("y")));
    EXPECT_EQ(queues.owedCount(), 2u);
}

} // namespace
