#pragma once
#include "pipeline/decodedphoto.h"

#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace tetrafot {

// The whole photo a part is owed: its file and the scale code it is shown at.
struct WholeKey {
    FileIdentity identity;
    int scaleCode = 0;
    bool operator<(const WholeKey& o) const
    {
        return std::tie(identity, scaleCode) < std::tie(o.identity, o.scaleCode);
    }
    bool operator==(const WholeKey& o) const { return identity == o.identity && scaleCode == o.scaleCode; }
};

// What became of a whole decode behind a part, as handed to the panes: the
// whole photo, or the message a load of the file would have shown.
struct WholeResult {
    WholeKey key;
    std::shared_ptr<const DecodedPhoto> photo;
    QString error;
    bool ok() const { return photo != nullptr; }
};

// What the whole decodes owed to parts brought, kept until a pane takes it
// or the parts are walked away from. An error is told once: taking it
// forgets it. Not thread-safe: the pipeline holds its lock around every call.
class OwedWholes {
public:
    void delivered(const WholeKey& key, std::shared_ptr<const DecodedPhoto> photo);
    void failed(const WholeKey& key, const QString& error);

    // The error or else the whole held for the key, forgotten as it is
    // taken; nothing when neither is held.
    std::optional<WholeResult> take(const WholeKey& key);
    // Forgets what is held for the result's key when it is this result (the
    // same photo, or the same error) and tells whether it was: false for one
    // taken already or dropped meanwhile, which is no longer current.
    bool takeIf(const WholeResult& result);

    // Drops what is held for keys that `kept` refuses.
    void keepOnly(const std::function<bool(const WholeKey&)>& kept);
    // The file is read again: its wholes are no longer current (its errors
    // stay, to be told).
    void dropWholesOf(const QString& path);
    // Every whole goes (they were decoded under another setting).
    void dropWholes() { m_wholes.clear(); }

    bool empty() const { return m_wholes.empty() && m_errors.empty(); }

private:
    std::map<WholeKey, QString> m_errors;
    std::map<WholeKey, std::shared_ptr<const DecodedPhoto>> m_wholes;
};

} // namespace tetrafot
