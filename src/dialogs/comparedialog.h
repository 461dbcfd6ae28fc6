#pragma once
#include "panes/foldercomparison.h"

#include <QDialog>
#include <QStringList>

#include <array>
#include <functional>

class QCheckBox;
class QLineEdit;

namespace tetrafot {

// Chooses two to four folders to walk side by side, and how their files
// match. The fields open with the folders compared now (or the folder
// shown); empty fields are left out.
class TfrmCompare : public QDialog {
    Q_OBJECT
public:
    // browse(start): a folder chosen from start, "" when none.
    TfrmCompare(const QStringList& folders, FolderComparison::Options options,
                std::function<QString(QWidget*, const QString&)> browse, QWidget* parent = nullptr);

    QStringList folders() const;   // the fields filled, in order
    FolderComparison::Options options() const;

private:
    std::array<QLineEdit*, 4> m_fields{};
    QCheckBox* m_byPosition = nullptr;
    QCheckBox* m_commonOnly = nullptr;
};

} // namespace tetrafot
