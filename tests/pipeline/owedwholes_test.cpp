#include "pipeline/owedwholes.h"
#include "pipeline/pipelinetesthelpers.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <map>

using namespace tetrafot;

namespace {

// A script of what the whole decodes bring and what the panes take, worked
// out by hand. Keys are file names (x, or x@2 at scale code 2); photos p1,
// p2 are distinct whole photos.
//   whole x p1     a decode delivered p1 for x        error x E     a decode failed with E
//   take x         completion(): writes "whole p1", "error E" or "none"
//   takeIf x p1 / takeIf x !E   the hand-off of p1 / of error E: writes "yes" or "no"
//   keep x         parts other than x walked away from   drop x   x read again (invalidate)
//   dropall        the upright setting changed
struct OwedRow {
    const char* name;
    const char* script;
    const char* out;
};

using pipelinetest::KeyOf;

QString RunScript(const char* script)
{
    OwedWholes owed;
    std::map<QString, std::shared_ptr<const DecodedPhoto>> photos;
    const auto photo = [&](const QString& name) {
        auto& p = photos[name];
        if (!p)
            p = std::make_shared<DecodedPhoto>();
        return p;
    };
    const auto nameOf = [&](const std::shared_ptr<const DecodedPhoto>& p) {
        for (const auto& [name, q] : photos)
            if (q == p)
                return name;
        return QStringLiteral("?");
    };
    QStringList out;
    for (const QString& step : QString::fromLatin1(script).split(QLatin1String("; "))) {
        const QStringList w = step.split(QLatin1Char(' '));
        if (w[0] == QLatin1String("whole")) {
            owed.delivered(KeyOf(w[1]), photo(w[2]));
        } else if (w[0] == QLatin1String("error")) {
            owed.failed(KeyOf(w[1]), w[2]);
        } else if (w[0] == QLatin1String("take")) {
            const std::optional<WholeResult> r = owed.take(KeyOf(w[1]));
            out << (!r ? QStringLiteral("none")
                       : r->ok() ? QStringLiteral("whole ") + nameOf(r->photo) : QStringLiteral("error ") + r->error);
        } else if (w[0] == QLatin1String("takeIf")) {
            WholeResult r{KeyOf(w[1]), nullptr, QString()};
            if (w[2].startsWith(QLatin1Char('!')))
                r.error = w[2].mid(1);
            else
                r.photo = photo(w[2]);
            out << (owed.takeIf(r) ? QStringLiteral("yes") : QStringLiteral("no"));
        } else if (w[0] == QLatin1String("keep")) {
            const QStringList kept = w.mid(1);
            owed.keepOnly([&](const WholeKey& key) {
                return std::any_of(kept.begin(), kept.end(), [&](const QString& k) { return KeyOf(k) == key; });
            });
        } else if (w[0] == QLatin1String("drop")) {
            owed.dropWholesOf(w[1]);
        } else if (w[0] == QLatin1String("dropall")) {
            owed.dropWholes();
        } else {
            ADD_FAILURE() << "no such step: " << step.toStdString();
        }
    }
    if (!owed.empty())
        out << QStringLiteral("left");
    return out.join(QLatin1String(", "));
}

class OwedWholesScript : public testing::TestWithParam<OwedRow> {};

TEST_P(OwedWholesScript, KeepsWhatCameUntilTakenOrDropped)
{
    EXPECT_EQ(RunScript(GetParam().script).toStdString(), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(Scripts, OwedWholesScript,
    testing::Values(
        // Held until taken, by completion or by the hand-off, and then gone.
        OwedRow{"TakenOnce", "whole x p1; take x; take x", "whole p1, none"},
        OwedRow{"HandOffTakenOnce", "whole x p1; takeIf x p1; takeIf x p1; take x", "yes, no, none"},
        // An error is told once, whichever way it is taken first.
        OwedRow{"ErrorToldOnce", "error x E; take x; takeIf x !E; take x", "error E, no, none"},
        OwedRow{"ErrorHandedOverOnce", "error x E; takeIf x !E; take x", "yes, none"},
        // A hand-off is current only while it is what is held: a later decode
        // of the same key replaced it, or another key's is not it.
        OwedRow{"ReplacedHandOffIsNotCurrent", "whole x p1; whole x p2; takeIf x p1; takeIf x p2",
                "no, yes"},
        OwedRow{"OtherScaleIsNotIt", "whole x p1; takeIf x@2 p1; takeIf x !E; take x", "no, no, whole p1"},
        // An error outranks a whole held for the same key.
        OwedRow{"ErrorBeforeWhole", "whole x p1; error x E; take x; take x", "error E, whole p1"},
        // Walking on keeps only the parts still shown, at their scales.
        OwedRow{"KeepOnlyShown", "whole x p1; whole x@2 p2; error y E; keep x@2; take x; take x@2; take y",
                "none, whole p2, none"},
        // A file read again loses its wholes, not its errors (still to be told)
        // nor other files' wholes; a changed upright setting loses every whole.
        OwedRow{"InvalidatedFile", "whole x p1; error x E; whole y p2; drop x; take x; take x; take y",
                "error E, none, whole p2"},
        OwedRow{"UprightChanged", "whole x p1; whole y p2; error z E; dropall; takeIf x p1; take y; take z",
                "no, none, error E"},
        OwedRow{"UntakenIsLeft", "whole x p1", "left"}),
    [](const testing::TestParamInfo<OwedRow>& info) { return std::string(info.param.name); });

} // namespace
