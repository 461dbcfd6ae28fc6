#pragma once
#include "settings/formstorage.h"
#include "settings/mainsettings.h"
#include "render/marks.h"
#include <QString>
#include <QStringList>

namespace tetrafot {

// What the main window shares with its dialogs: the current folder and its
// marks and the settings store (stored values are
// read and written through the store, never copied here).
struct AppState {
    QString CurrentFolder;
    MarkStore Marks;
    bool FilesDialogOpen = false;
    QString CurrentFilePath;
    QString SettingsFileName;
    TFormStorage* Store = nullptr;   // the main window's store
};

} // namespace tetrafot
