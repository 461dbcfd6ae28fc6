#pragma once
#include <QColor>
#include <QString>

namespace tetrafot {

// A value the settings file stores, declared once with its key, its type
// and the value it has when the file holds nothing (see mainsettings.h for
// the table). The settings store reads and writes them through these, so a
// key or a default is never spelt out where a value is used.
struct IntValue {
    const char* key;
    int fallback;
};
struct BoolValue {
    const char* key;
    bool fallback;
};
struct TextValue {
    const char* key;
    const char* fallback;
};
// One value per pane, stored under the key with the pane's number (1..4) appended.
struct PaneIntValue {
    const char* key;
    int fallback;
    QString keyOf(int pane) const { return QLatin1String(key) + QString::number(pane); }
};

// A colour as the settings file stores it: an integer 0x00BBGGRR, or a
// negative number for a colour of the system's scheme.
struct StoredColour {
    int value = 0;
    // The system's button face, as a control that was never given a colour stores it.
    static constexpr int ButtonFace = -2147483633;
    static StoredColour of(const QColor& c) { return {c.red() | (c.green() << 8) | (c.blue() << 16)}; }
    // Its low three bytes, also of a system colour.
    QColor toQColor() const { return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF); }
    // A control's colour: `system` stands for every system colour.
    QColor toQColor(const QColor& system) const { return value < 0 ? system : toQColor(); }
};
struct ColourValue {
    const char* key;
    int fallback;
};

} // namespace tetrafot
