#pragma once
#include <QDialog>
#include <functional>
#include <memory>

class QFocusEvent;
class QRadioButton;

namespace tetrafot {

struct AppState;
class TFormStorage;
namespace Ui {
class TfrmFiles;
}

// Tabbing into a radio group lands on its selected item, as it does in the
// dialogs' original toolkit, rather than on the first one; both dialogs call
// this from their focus-in filters.
void FocusCheckedItem(QObject* watched, const QFocusEvent* event);

// Both dialogs are laid out in pixels for a narrow face; DejaVu Sans
// Condensed at 10 pixels, whatever the screen's resolution, keeps every text
// inside its control and clear of its neighbours.
void SetDialogFont(QWidget* dialog);

// The file operations dialog: copies, moves or deletes the current pane's
// file (and, when asked, its companion files). K, M and D released while no
// text field has the focus pick the operation, carry it out and close.
// Whichever way it closes, the three companion fields go back to the main
// store's values and the dialog's own section is written.
class TfrmFiles : public QDialog {
    Q_OBJECT
public:
    explicit TfrmFiles(AppState& app, QWidget* parent = nullptr);
    ~TfrmFiles() override;

    // The selected operation: 0 copy, 1 move, 2 delete, -1 none.
    int operationIndex() const;
    void setOperationIndex(int index);

    // The folder browser behind the destination field's button; returns an
    // empty text when cancelled. Replaceable so that tests need no modal dialog.
    std::function<QString(const QString& start)> browseFolder;
    // Shows what an operation could not do and why the dialog's section
    // could not be read or written; the main window routes it to its own
    // error path, so that tests see it without a modal box.
    std::function<void(const QString& message)> showError;

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void btnOkClick();
    void browseDstDir();
    // Runs the selected operation with the extensions in the field; false
    // when a copy or move was refused for want of a destination folder.
    bool carryOut();
    bool isTextField(const QWidget* widget) const;
    QRadioButton* radio(int index) const;
    void centreOnParent();

    AppState& m_app;
    std::unique_ptr<Ui::TfrmFiles> ui;
    std::unique_ptr<TFormStorage> FormStorage2;
};

} // namespace tetrafot
