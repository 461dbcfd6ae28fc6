#include "settings/mainsettings.h"
#include "settings/formstorage.h"

void AddMainStoredValues(TFormStorage& store)
{
    for (int pane = 1; pane <= 4; ++pane)
        store.addStoredValue(QStringLiteral("imagescale%1").arg(pane), 1);
    for (int pane = 1; pane <= 4; ++pane)
        store.addStoredValue(QStringLiteral("expanwidth%1").arg(pane), 150);
    store.addStoredValue(QStringLiteral("flistwidth"), 150);
    store.addStoredValue(QStringLiteral("curdir"), QString());
    store.addStoredValue(QStringLiteral("toolP"), QString());
    store.addStoredValue(QStringLiteral("toolN"), QString());
    store.addStoredValue(QStringLiteral("Pattern"), QStringLiteral("%c"));
    store.addStoredValue(QStringLiteral("OverExpColor"), 0);
    store.addStoredValue(QStringLiteral("UnderExpColor"), 16777215);
    store.addStoredValue(QStringLiteral("UnderExpMode"), 2);
    store.addStoredValue(QStringLiteral("OverExpMode"), 1);
    store.addStoredValue(QStringLiteral("exts"), QString());
    store.addStoredValue(QStringLiteral("rawprefix"), QString());
    store.addStoredValue(QStringLiteral("rawsuffix"), QString());
    store.addStoredValue(QStringLiteral("anyraw"), false);
    store.addStoredValue(QStringLiteral("maxsize"), 2000);
    store.addStoredValue(QStringLiteral("language"), QStringLiteral("ru"));
    // Later additions go last, so that a file written before them reads as
    // it did, with them off.
    store.addStoredValue(QStringLiteral("exifrotate"), false);
    store.addStoredValue(QStringLiteral("smoothscale"), false);
}
