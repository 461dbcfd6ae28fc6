#pragma once
#include "settings/formstorage.h"
#include "settings/mainsettings.h"
#include "render/marks.h"
#include <QString>
#include <QStringList>

// The program-wide settings held in memory. The main window owns one and
// hands it to the dialogs, which read and change it.
struct AppState {
    QString CurrentFolder;
    int MaxSize = Stored::MaxSize.fallback;
    QString PToolCommand;
    QString NToolCommand;
    QStringList RawExtensions;
    MarkStore Marks;
    bool FilesDialogOpen = false;
    QString CurrentFilePath;
    QString SettingsFileName;
    TFormStorage* Store = nullptr;   // the main window's store
};
