#include "settings/formstorage.h"

#include <algorithm>
#include "settings/iniprofile.h"
#include <QFileInfo>
#include <QRegularExpression>
#include <optional>

namespace tetrafot {

namespace {

const QString kFormVersion = QStringLiteral("FormVersion");
const QString kFlags = QStringLiteral("Flags");
const QString kShowCmd = QStringLiteral("ShowCmd");
const QString kPixelsPerInch = QStringLiteral("PixelsPerInch");
const QString kMinMaxPos = QStringLiteral("MinMaxPos");
const QString kNormPos = QStringLiteral("NormPos");
const QString kVisible = QStringLiteral("Visible");
constexpr int kStoreVersion = 0;

// "LeftPanel.Width" is kept under "LeftPanel_Width".
QString PropertyKey(const QString& name)
{
    QString key = name;
    return key.replace(QLatin1Char('.'), QLatin1Char('_'));
}

std::optional<int> ToInt(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    return ok ? std::optional<int>(value) : std::nullopt;
}

// The n-th word of a position text; words are separated by runs of commas
// and blanks.
std::optional<int> PositionWord(const QStringList& words, int n)
{
    if (n >= words.size())
        return std::nullopt;
    // No screen is a million pixels wide: bounding the words keeps the
    // width and height worked out from them inside an int.
    constexpr int kLimit = 1 << 20;
    const std::optional<int> value = ToInt(words[n]);
    return value ? std::optional<int>(std::clamp(*value, -kLimit, kLimit)) : std::nullopt;
}

QStringList PositionWords(const QString& text)
{
    static const QRegularExpression separators(QStringLiteral("[,\\s]+"));
    return text.split(separators, Qt::SkipEmptyParts);
}

QString FourNumbers(int a, int b, int c, int d)
{
    return QStringLiteral("%1,%2,%3,%4").arg(a).arg(b).arg(c).arg(d);
}

class SectionReader {
public:
    explicit SectionReader(IniProfile::KeyValues keys) : m_keys(std::move(keys)) {}

    std::optional<QString> find(const QString& key) const
    {
        for (const auto& [name, value] : m_keys)
            if (name.compare(key, Qt::CaseInsensitive) == 0)
                return value;
        return std::nullopt;
    }
    QString text(const QString& key, const QString& fallback) const { return find(key).value_or(fallback); }
    int number(const QString& key, int fallback) const
    {
        const auto found = find(key);
        return found ? ToInt(*found).value_or(fallback) : fallback;
    }

private:
    IniProfile::KeyValues m_keys;
};

}  // namespace

TFormStorage::TFormStorage(QString section) : m_section(std::move(section)) {}

void TFormStorage::setIniFileName(const QString& fileName) { m_fileName = fileName; }
QString TFormStorage::iniFileName() const { return m_fileName; }
QString TFormStorage::section() const { return m_section; }

void TFormStorage::addProperty(Property property) { m_properties.push_back(std::move(property)); }

void TFormStorage::addStoredValue(const QString& name, const QVariant& defaultValue)
{
    writeValue(name, defaultValue);
}

const TFormStorage::Item* TFormStorage::find(const QString& name) const
{
    for (const Item& item : m_values)
        if (item.name.compare(name, Qt::CaseInsensitive) == 0)
            return &item;
    return nullptr;
}

TFormStorage::Item* TFormStorage::find(const QString& name)
{
    return const_cast<Item*>(std::as_const(*this).find(name));
}

QVariant TFormStorage::readValue(const QString& name) const
{
    const Item* item = find(name);
    return item ? item->value : QVariant();
}

void TFormStorage::writeValue(const QString& name, const QVariant& value)
{
    if (Item* item = find(name))
        item->value = value;
    else
        m_values.push_back(Item{name, value});
}

int TFormStorage::intValue(const QString& name, int fallback) const
{
    const Item* item = find(name);
    if (!item || item->value.isNull())
        return fallback;
    return ToInt(valueText(item->value)).value_or(fallback);
}

bool TFormStorage::boolValue(const QString& name, bool fallback) const
{
    const Item* item = find(name);
    if (!item || item->value.isNull())
        return fallback;
    const QString text = valueText(item->value).trimmed();
    if (text == QLatin1String("-1") || text == QLatin1String("1") ||
        text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (text == QLatin1String("0") || text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    return fallback;
}

QString TFormStorage::textValue(const QString& name) const
{
    const Item* item = find(name);
    return item ? valueText(item->value) : QString();
}

QString TFormStorage::valueText(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("-1") : QStringLiteral("0");
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return value.toString();
    default:
        return value.isNull() ? QString() : value.toString();
    }
}

TFormStorage::WindowState TFormStorage::StateOfShowCmd(int showCmd)
{
    switch (showCmd) {
    case 2:
    case 6:
    case 7:
        return WindowState::Minimized;
    case 3:
        return WindowState::Maximized;
    default:
        return WindowState::Normal;
    }
}

bool TFormStorage::fileExists() const
{
    return !m_fileName.isEmpty() && QFileInfo(m_fileName).isFile();
}

bool TFormStorage::restored() const { return m_restored; }
bool TFormStorage::savedSinceRestore() const { return m_saved; }

void TFormStorage::restore()
{
    const SectionReader file(IniProfile::ReadSection(m_fileName, m_section));

    if (file.number(kFormVersion, 0) < kStoreVersion)
        return;

    // Window placement: every number that is missing or no integer keeps
    // what the window has now (the minimised/maximised positions count 0).
    const Placement current = currentPlacement ? currentPlacement() : Placement{};
    RestoredPlacement result;
    Placement& p = result.placement;
    p = current;
    p.flags = file.number(kFlags, current.flags);

    const auto minMax = file.find(kMinMaxPos);
    const auto norm = file.find(kNormPos);
    result.positionRead = minMax.has_value() || norm.has_value();

    const QStringList mm = PositionWords(minMax.value_or(QString()));
    p.minPos = QPoint(PositionWord(mm, 0).value_or(0), PositionWord(mm, 1).value_or(0));
    p.maxPos = QPoint(PositionWord(mm, 2).value_or(0), PositionWord(mm, 3).value_or(0));

    const QRect& r = current.normal;
    const QStringList np = PositionWords(norm.value_or(QString()));
    const int left = PositionWord(np, 0).value_or(r.left());
    const int top = PositionWord(np, 1).value_or(r.top());
    const int right = PositionWord(np, 2).value_or(r.left() + r.width());
    const int bottom = PositionWord(np, 3).value_or(r.top() + r.height());
    p.normal = QRect(QPoint(left, top), QSize(right - left, bottom - top));

    p.pixelsPerInch = file.number(kPixelsPerInch, current.pixelsPerInch);
    p.showCmd = file.number(kShowCmd, 0);
    if (applyPlacement)
        applyPlacement(result);

    for (const Property& property : m_properties) {
        const QString fallback = property.get ? property.get() : QString();
        const QString text = file.text(PropertyKey(property.name), fallback).trimmed();
        if (property.set)
            property.set(text);   // a text that does not convert is ignored
    }

    for (Item& item : m_values)
        item.value = QVariant(file.text(item.name, valueText(item.value)));

    m_restored = true;
    m_saved = false;
    if (onRestorePlacement)
        onRestorePlacement();
}

void TFormStorage::save(bool destroying)
{
    if (!m_restored)
        return;

    const Placement p = currentPlacement ? currentPlacement() : Placement{};
    IniProfile::KeyValues keys;
    keys.reserve(7 + m_properties.size() + m_values.size());
    keys.emplace_back(kFormVersion, QString::number(kStoreVersion));
    keys.emplace_back(kFlags, QString::number(p.flags));
    keys.emplace_back(kShowCmd, QString::number(p.showCmd));
    keys.emplace_back(kPixelsPerInch, QString::number(p.pixelsPerInch));
    keys.emplace_back(kMinMaxPos, FourNumbers(p.minPos.x(), p.minPos.y(), p.maxPos.x(), p.maxPos.y()));
    keys.emplace_back(kNormPos, FourNumbers(p.normal.left(), p.normal.top(), p.normal.left() + p.normal.width(),
                                            p.normal.top() + p.normal.height()));
    keys.emplace_back(kVisible, destroying ? QStringLiteral("1") : QStringLiteral("0"));
    for (const Property& property : m_properties)
        keys.emplace_back(PropertyKey(property.name), property.get ? property.get() : QString());
    for (const Item& item : m_values)
        keys.emplace_back(item.name, valueText(item.value));

    IniProfile::WriteSection(m_fileName, m_section, keys);
    m_saved = true;
}

TFormStorage::Property TFormStorage::intProperty(const QString& name, std::function<int()> get,
                                                 std::function<void(int)> set)
{
    return {name, [get] { return QString::number(get()); },
            [set](const QString& text) {
                bool ok = false;
                const int v = text.toInt(&ok);
                if (ok)
                    set(v);
                return ok;
            }};
}

TFormStorage::Property TFormStorage::boolProperty(const QString& name, std::function<bool()> get,
                                                  std::function<void(bool)> set)
{
    return {name, [get] { return get() ? QStringLiteral("True") : QStringLiteral("False"); },
            [set](const QString& text) {
                const bool on = text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0;
                if (!on && text.compare(QLatin1String("False"), Qt::CaseInsensitive) != 0)
                    return false;
                set(on);
                return true;
            }};
}

} // namespace tetrafot
