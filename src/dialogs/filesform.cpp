#include "dialogs/filesform.h"
#include "settings/mainsettings.h"

#include "settings/appstate.h"
#include "settings/formstorage.h"
#include "common/usererror.h"
#include "files/companions.h"
#include "files/fileops.h"
#include "ui_filesform.h"

#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QScreen>
#include <QStyle>

namespace tetrafot {

namespace {

QString boolText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

// "True"/"False" in any letter case; anything else leaves the box alone.
bool setFromBoolText(QAbstractButton* box, const QString& text)
{
    if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        box->setChecked(true);
    else if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        box->setChecked(false);
    else
        return false;
    return true;
}

} // namespace

void FocusCheckedItem(QObject* watched, const QFocusEvent* event)
{
    auto* item = qobject_cast<QRadioButton*>(watched);
    if (!item || item->isChecked()
        || (event->reason() != Qt::TabFocusReason && event->reason() != Qt::BacktabFocusReason))
        return;
    for (QRadioButton* sibling : item->parentWidget()->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly))
        if (sibling->isChecked()) {
            sibling->setFocus(event->reason());
            return;
        }
}

void SetDialogFont(QWidget* dialog)
{
    QFont narrow(QStringLiteral("DejaVu Sans Condensed"));
    narrow.setPixelSize(10);
    dialog->setFont(narrow);
}

TfrmFiles::TfrmFiles(AppState& app, QWidget* parent)
    : QDialog(parent), m_app(app), ui(std::make_unique<Ui::TfrmFiles>()),
      FormStorage2(std::make_unique<TFormStorage>(QStringLiteral("TfrmFiles")))
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(422, 382);
    SetDialogFont(this);
    // Labels size themselves to their text, as the layout was drawn for.
    for (QLabel* label : {ui->Label1, ui->Label5, ui->Label3, ui->Label4})
        label->resize(label->sizeHint());

    QAction* browse = ui->DstDir->addAction(style()->standardIcon(QStyle::SP_DirOpenIcon),
                                            QLineEdit::TrailingPosition);
    browse->setObjectName(QStringLiteral("DstDirBrowse"));
    browse->setToolTip(tr("Обзор"));
    connect(browse, &QAction::triggered, this, &TfrmFiles::browseDstDir);
    browseFolder = [this](const QString& start) {
        return QFileDialog::getExistingDirectory(this, QString(), start);
    };
    showError = [this](const QString& message) { QMessageBox::critical(this, windowTitle(), message); };

    connect(ui->btnOk, &QPushButton::clicked, this, &TfrmFiles::btnOkClick);
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    FormStorage2->setIniFileName(m_app.SettingsFileName);
    FormStorage2->addProperty({QStringLiteral("DstDir.Text"),
                               [this] { return ui->DstDir->text().trimmed(); },
                               [this](const QString& text) {
                                   ui->DstDir->setText(text);
                                   return true;
                               }});
    FormStorage2->addProperty({QStringLiteral("ckOverwrite.Checked"),
                               [this] { return boolText(ui->ckOverwrite->isChecked()); },
                               [this](const QString& text) { return setFromBoolText(ui->ckOverwrite, text); }});
    FormStorage2->addProperty({QStringLiteral("OpSelector.ItemIndex"),
                               [this] { return QString::number(operationIndex()); },
                               [this](const QString& text) {
                                   bool ok = false;
                                   const int index = text.toInt(&ok);
                                   if (ok)
                                       setOperationIndex(index);
                                   return ok;
                               }});
    FormStorage2->addProperty({QStringLiteral("ckCRW.Checked"),
                               [this] { return boolText(ui->ckCRW->isChecked()); },
                               [this](const QString& text) { return setFromBoolText(ui->ckCRW, text); }});
    FormStorage2->currentPlacement = [this] {
        TFormStorage::Placement placement;
        placement.showCmd = 1;
        placement.pixelsPerInch = logicalDpiY();
        placement.normal = frameGeometry();
        return placement;
    };
    FormStorage2->applyPlacement = [this](const TFormStorage::RestoredPlacement& restored) {
        // Only the position counts (the size is fixed), and the centring on
        // the main window that follows every restore overrides it anyway.
        if (restored.positionApplies(logicalDpiY()))
            move(restored.placement.normal.topLeft());
    };

    if (m_app.Store) {
        ui->txtCRWExt->setText(m_app.Store->get(Stored::Exts));
        ui->txtPrefix->setText(m_app.Store->get(Stored::RawPrefix));
        ui->txtSuffix->setText(m_app.Store->get(Stored::RawSuffix));
    }

    // Key releases reach the dialog before the control that has the focus.
    qApp->installEventFilter(this);
}

TfrmFiles::~TfrmFiles()
{
    qApp->removeEventFilter(this);
}

QRadioButton* TfrmFiles::radio(int index) const
{
    switch (index) {
    case 0: return ui->OpSelectorItem0;
    case 1: return ui->OpSelectorItem1;
    case 2: return ui->OpSelectorItem2;
    default: return nullptr;
    }
}

int TfrmFiles::operationIndex() const
{
    for (int i = 0; i < 3; ++i)
        if (radio(i)->isChecked())
            return i;
    return -1;
}

void TfrmFiles::setOperationIndex(int index)
{
    index = std::clamp(index, -1, 2);
    if (index >= 0) {
        radio(index)->setChecked(true);
        return;
    }
    // Auto-exclusive buttons refuse to be unchecked one by one.
    for (int i = 0; i < 3; ++i) {
        QRadioButton* button = radio(i);
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
    }
}

bool TfrmFiles::isTextField(const QWidget* widget) const
{
    for (const QWidget* field : {static_cast<QWidget*>(ui->DstDir), static_cast<QWidget*>(ui->txtCRWExt),
                                 static_cast<QWidget*>(ui->txtPrefix), static_cast<QWidget*>(ui->txtSuffix)})
        if (widget == field || field->isAncestorOf(widget))
            return true;
    return false;
}

void TfrmFiles::centreOnParent()
{
    QRect area;
    if (QWidget* host = parentWidget() ? parentWidget()->window() : nullptr)
        area = host->frameGeometry();
    else if (QScreen* s = screen())
        area = s->availableGeometry();
    else
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(area.center());
    move(frame.topLeft());
}

void TfrmFiles::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        try {
            FormStorage2->restore();
        } catch (const UserError& error) {
            showError(error.message());
        }
        centreOnParent();
        const int index = operationIndex();
        radio(index >= 0 ? index : 0)->setFocus(Qt::OtherFocusReason);
    }
    QDialog::showEvent(event);
}

void TfrmFiles::browseDstDir()
{
    const QString folder = browseFolder ? browseFolder(ui->DstDir->text().trimmed()) : QString();
    if (!folder.isEmpty())
        ui->DstDir->setText(QDir::toNativeSeparators(folder));
}

bool TfrmFiles::carryOut()
{
    const FileOpOptions options{ui->txtPrefix->text(), ui->txtSuffix->text(), ui->ckOverwrite->isChecked(),
                                ui->ckCRW->isChecked(), ParseExtensions(ui->txtCRWExt->text())};
    const FileOpOutcome outcome = CarryOutFileOperation(FileOperation(operationIndex()), m_app.CurrentFilePath,
                                                        ui->DstDir->text(), options);
    if (outcome.needsDestination) {
        // Nowhere to put the file: say so and let the user type a folder.
        QApplication::beep();
        ui->DstDir->setFocus(Qt::OtherFocusReason);
        return false;
    }
    if (!outcome.error.isEmpty())
        showError(outcome.error);
    return true;
}

void TfrmFiles::btnOkClick()
{
    if (carryOut())
        accept();
}

bool TfrmFiles::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn && watched->parent() == ui->OpSelector)
        FocusCheckedItem(watched, static_cast<QFocusEvent*>(event));
    // Neither button is a default one, so that Enter elsewhere does nothing;
    // a push button without auto-default ignores Enter even when focused,
    // so the focused button is pressed here.
    if (event->type() == QEvent::KeyPress && (watched == ui->btnOk || watched == ui->btnCancel)) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            static_cast<QPushButton*>(watched)->click();
            return true;
        }
    }
    if (event->type() != QEvent::KeyRelease || !isVisible())
        return QDialog::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    // A key event climbs from the focused control to its parents; act once,
    // where it is first delivered.
    QWidget* target = focusWidget() ? focusWidget() : this;
    if (!widget || widget != target || widget->window() != this)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->isAutoRepeat() || isTextField(target))
        return false;

    int operation = -1;
    switch (key->key()) {
    case Qt::Key_K: operation = 0; break;
    case Qt::Key_M: operation = 1; break;
    case Qt::Key_D: operation = 2; break;
    default: return false;
    }
    setOperationIndex(operation);
    if (carryOut())
        accept();
    return true;
}

void TfrmFiles::done(int result)
{
    if (m_app.Store) {
        m_app.Store->set(Stored::Exts, ui->txtCRWExt->text());
        m_app.Store->set(Stored::RawPrefix, ui->txtPrefix->text());
        m_app.Store->set(Stored::RawSuffix, ui->txtSuffix->text());
    }
    m_app.FilesDialogOpen = false;
    try {
        FormStorage2->save(true);
    } catch (const UserError& error) {
        showError(error.message());
    }
    QDialog::done(result);
}

} // namespace tetrafot
