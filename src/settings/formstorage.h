#pragma once
#include "settings/storedvalue.h"

#include <QString>
#include <QVariant>
#include <QRect>
#include <functional>
#include <vector>

namespace tetrafot {

// The settings store: named stored values, a fixed list of control
// properties and the window placement, persisted in one section of the
// INI profile. Reads and writes change memory only; save() writes the file.
class TFormStorage {
public:
    // A control property, e.g. "LeftPanel.Width", stored under "LeftPanel_Width".
    // get() returns the value in the file's notation; set() returns false when
    // the text does not convert (the property then keeps its value).
    struct Property {
        QString name;
        std::function<QString()> get;
        std::function<bool(const QString&)> set;
    };
    // A property that is a whole number, or True or False in the file
    // (either in any letter case when read); text that is neither leaves it.
    static Property intProperty(const QString& name, std::function<int()> get, std::function<void(int)> set);
    static Property boolProperty(const QString& name, std::function<bool()> get, std::function<void(bool)> set);

    // The window placement as the file holds it.
    struct Placement {
        int flags = 0;
        int showCmd = 1;      // 1 normal, 2 minimised, 3 maximised
        int pixelsPerInch = 96;
        QPoint minPos{0, 0};
        QPoint maxPos{0, 0};
        QRect normal;         // left, top, right, bottom are written
                              // (right = left + width, bottom = top + height)
    };
    enum class WindowState { Normal, Minimized, Maximized };
    // ShowCmd as the window applies it: 1, 5, 9 normal; 2, 6, 7 minimised;
    // 3 maximised; anything else normal.
    static WindowState StateOfShowCmd(int showCmd);
    // What a restore found; positionRead is true when MinMaxPos or NormPos
    // was present in the file.
    struct RestoredPlacement {
        Placement placement;
        bool positionRead = false;
        // The position is applied only when one of the position keys was
        // read and the file was written at the screen's current resolution.
        bool positionApplies(int screenPixelsPerInch) const
        {
            return positionRead && placement.pixelsPerInch == screenPixelsPerInch;
        }
    };

    explicit TFormStorage(QString section);

    void setIniFileName(const QString& fileName);
    QString iniFileName() const;
    QString section() const;

    void addProperty(Property property);
    void addStoredValue(const QString& name, const QVariant& defaultValue);

    // Null when no item of that name exists (names ignore letter case).
    QVariant readValue(const QString& name) const;
    // Appends a new item when the name is not in the list.
    void writeValue(const QString& name, const QVariant& value);

    // Conversions used by readers; a value that does not convert counts as
    // the given default rather than failing every later read.
    int intValue(const QString& name, int fallback) const;
    bool boolValue(const QString& name, bool fallback) const;
    QString textValue(const QString& name) const;

    // The declared values (settings/storedvalue.h): registered with their
    // defaults, read as their type (a value that does not convert counts as
    // the default) and written.
    void add(const IntValue& v) { addStoredValue(QLatin1String(v.key), v.fallback); }
    void add(const BoolValue& v) { addStoredValue(QLatin1String(v.key), v.fallback); }
    void add(const TextValue& v) { addStoredValue(QLatin1String(v.key), QString::fromUtf8(v.fallback)); }
    void add(const ColourValue& v) { addStoredValue(QLatin1String(v.key), v.fallback); }
    void add(const PaneIntValue& v, int pane) { addStoredValue(v.keyOf(pane), v.fallback); }
    int get(const IntValue& v) const { return intValue(QLatin1String(v.key), v.fallback); }
    bool get(const BoolValue& v) const { return boolValue(QLatin1String(v.key), v.fallback); }
    QString get(const TextValue& v) const { return textValue(QLatin1String(v.key)); }
    StoredColour get(const ColourValue& v) const { return {intValue(QLatin1String(v.key), v.fallback)}; }
    int get(const PaneIntValue& v, int pane) const { return intValue(v.keyOf(pane), v.fallback); }
    void set(const IntValue& v, int value) { writeValue(QLatin1String(v.key), value); }
    void set(const BoolValue& v, bool value) { writeValue(QLatin1String(v.key), value); }
    void set(const TextValue& v, const QString& value) { writeValue(QLatin1String(v.key), value); }
    void set(const ColourValue& v, StoredColour value) { writeValue(QLatin1String(v.key), value.value); }
    void set(const PaneIntValue& v, int pane, int value) { writeValue(v.keyOf(pane), value); }

    // The window supplies its placement and takes the restored one.
    std::function<Placement()> currentPlacement;
    std::function<void(const RestoredPlacement&)> applyPlacement;
    std::function<void()> onRestorePlacement;   // the restore hook

    bool fileExists() const;
    // Reads the section; a negative FormVersion in the file leaves
    // everything as it was (not even marked restored).
    void restore();
    // destroying: the save that runs while the window is destroyed (Visible=1).
    // Writes nothing before the first restore. Throws UserError when the
    // file cannot be written.
    void save(bool destroying = false);
    bool restored() const;
    bool savedSinceRestore() const;

    // The text form of a value as the file holds it: text unchanged,
    // integers in decimal, booleans "-1"/"0".
    static QString valueText(const QVariant& value);

private:
    struct Item {
        QString name;
        QVariant value;
    };
    const Item* find(const QString& name) const;
    Item* find(const QString& name);

    QString m_section;
    QString m_fileName;
    std::vector<Property> m_properties;
    std::vector<Item> m_values;
    bool m_restored = false;
    bool m_saved = false;
};

} // namespace tetrafot
