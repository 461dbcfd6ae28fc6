#include "settings/mainsettings.h"
#include "settings/formstorage.h"

#include <string_view>

namespace tetrafot {

void AddMainStoredValues(TFormStorage& store)
{
    for (int pane = 1; pane <= 4; ++pane)
        store.add(Stored::ImageScale, pane);
    for (int pane = 1; pane <= 4; ++pane)
        store.add(Stored::ExpanWidth, pane);
    store.add(Stored::FileListWidth);
    store.add(Stored::CurDir);
    store.add(Stored::ToolP);
    store.add(Stored::ToolN);
    store.add(Stored::Pattern);
    store.add(Stored::OverExpColour);
    store.add(Stored::UnderExpColour);
    store.add(Stored::UnderExpMode);
    store.add(Stored::OverExpMode);
    store.add(Stored::Exts);
    store.add(Stored::RawPrefix);
    store.add(Stored::RawSuffix);
    store.add(Stored::AnyRaw);
    store.add(Stored::MaxSize);
    store.add(Stored::Language);
    store.add(Stored::ExifRotate);
    store.add(Stored::SmoothScale);
}

int LayoutFallback(const char* control)
{
    for (const LayoutProperty& p : LayoutProperties)
        if (std::string_view(p.control) == control && p.kind == LayoutKind::Size)
            return p.fallback;
    return 0;
}

void AddLayoutProperties(TFormStorage& store, const LayoutControls& controls)
{
    for (const LayoutProperty& p : LayoutProperties) {
        const QString name = QLatin1String(p.control) + QLatin1Char('.') + QLatin1String(p.property);
        auto read = [controls, p] { return controls.read(p); };
        switch (p.kind) {
        case LayoutKind::Size:
            store.addProperty(TFormStorage::intProperty(name, read, [controls, p](int v) { controls.apply(p, v); }));
            break;
        case LayoutKind::FilledHeight:
            store.addProperty(TFormStorage::intProperty(name, read, [](int) {}));
            break;
        case LayoutKind::Colour:
            // Only a number: a colour is never "True".
            store.addProperty({name, [read] { return QString::number(read()); },
                               [controls, p](const QString& text) {
                                   bool ok = false;
                                   const int v = text.toInt(&ok);
                                   return ok && controls.apply(p, v);
                               }});
            break;
        case LayoutKind::Visible:
        case LayoutKind::Pressed:
            store.addProperty(TFormStorage::boolProperty(name, [read] { return read() != 0; },
                                                         [controls, p](bool on) { controls.apply(p, on); }));
            break;
        }
    }
}

} // namespace tetrafot
