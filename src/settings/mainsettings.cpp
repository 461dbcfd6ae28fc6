#include "settings/mainsettings.h"
#include "settings/formstorage.h"

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
