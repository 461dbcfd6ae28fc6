#include "dialogs/options.h"
#include "settings/mainsettings.h"

#include "settings/appstate.h"
#include "settings/formstorage.h"
#include "dialogs/filesform.h"
#include "dialogs/language.h"
#include "ui_options.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QScreen>
#include <QStyle>
#include <algorithm>
#include <array>
#include <limits>

namespace tetrafot {

namespace {

bool isSpinChar(QChar c)
{
    return c.isDigit() || c == QLatin1Char('+') || c == QLatin1Char('-');
}

using RadioItems = std::array<QRadioButton*, 3>;

int itemIndex(const RadioItems& items)
{
    for (int i = 0; i < 3; ++i)
        if (items[i]->isChecked())
            return i;
    return -1;
}

// A radio group takes an index out of range as its nearest end; -1 selects
// nothing.
void setItemIndex(const RadioItems& items, int index)
{
    index = std::clamp(index, -1, 2);
    if (index >= 0) {
        items[index]->setChecked(true);
        return;
    }
    for (QRadioButton* item : items) {
        item->setAutoExclusive(false);
        item->setChecked(false);
        item->setAutoExclusive(true);
    }
}

// The program part of a command line: a text in double quotes (without
// them), or everything up to the first blank.
QString firstToken(const QString& commandLine)
{
    const QString text = commandLine.trimmed();
    if (text.startsWith(QLatin1Char('"'))) {
        const qsizetype close = text.indexOf(QLatin1Char('"'), 1);
        return close < 0 ? text.mid(1) : text.mid(1, close - 1);
    }
    const qsizetype blank = text.indexOf(QLatin1Char(' '));
    return blank < 0 ? text : text.left(blank);
}

} // namespace

// ---- TSpinEdit ----

TSpinEdit::TSpinEdit(QWidget* parent) : QAbstractSpinBox(parent)
{
    // The text is the value; nothing is interpreted while typing.
    setKeyboardTracking(false);
    lineEdit()->setText(QStringLiteral("0"));
}

void TSpinEdit::setRange(int minimum, int maximum)
{
    m_min = minimum;
    m_max = std::max(minimum, maximum);
}

std::optional<qint64> TSpinEdit::typedNumber() const
{
    const QString typed = text().trimmed();
    bool ok = false;
    const qint64 number = typed.toLongLong(&ok);
    if (ok)
        return number;
    // Digits beyond any integer still make a number: the furthest one.
    static const QRegularExpression digits(QStringLiteral("^[+-]?[0-9]+$"));
    if (digits.match(typed).hasMatch())
        return typed.startsWith(QLatin1Char('-')) ? std::numeric_limits<qint64>::min()
                                                  : std::numeric_limits<qint64>::max();
    return std::nullopt;
}

int TSpinEdit::value() const
{
    const std::optional<qint64> number = typedNumber();
    if (!number)
        return m_min;
    // A number in the integers is kept as typed; one beyond them can only
    // mean the nearer bound.
    if (*number < std::numeric_limits<int>::min() || *number > std::numeric_limits<int>::max())
        return int(std::clamp<qint64>(*number, m_min, m_max));
    return int(*number);
}

void TSpinEdit::setValue(int value)
{
    lineEdit()->setText(QString::number(std::clamp(value, m_min, m_max)));
}

void TSpinEdit::stepBy(int steps)
{
    const qint64 next = qint64(value()) + steps;
    setValue(int(std::clamp<qint64>(next, m_min, m_max)));
    lineEdit()->selectAll();
}

QValidator::State TSpinEdit::validate(QString& input, int&) const
{
    return std::all_of(input.cbegin(), input.cend(), isSpinChar) ? QValidator::Acceptable : QValidator::Invalid;
}

QAbstractSpinBox::StepEnabled TSpinEdit::stepEnabled() const
{
    return StepUpEnabled | StepDownEnabled;
}

void TSpinEdit::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        // Only the arrows step, and by one.
        event->ignore();
        return;
    default: break;
    }
    const QString typed = event->text();
    const bool command = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (!command && !typed.isEmpty() && typed.at(0).isPrint()
        && !std::all_of(typed.cbegin(), typed.cend(), isSpinChar)) {
        QApplication::beep();
        return;
    }
    QAbstractSpinBox::keyPressEvent(event);
}

void TSpinEdit::focusOutEvent(QFocusEvent* event)
{
    const std::optional<qint64> typed = typedNumber();
    if (typed && std::clamp<qint64>(*typed, m_min, m_max) != *typed)
        setValue(int(std::clamp<qint64>(*typed, m_min, m_max)));
    QAbstractSpinBox::focusOutEvent(event);
}

// ---- TfrmOptions ----

TfrmOptions::TfrmOptions(AppState& app, QWidget* parent)
    : QDialog(parent), m_app(app), ui(std::make_unique<Ui::TfrmOptions>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(599, 468);
    SetDialogFont(this);
    for (QLabel* label : {ui->Label1, ui->Label2, ui->Label4, ui->Label5, ui->Label6, ui->Label7, ui->Label8,
                          ui->Label9})
        label->resize(label->sizeHint());
    ui->edMaxSize->setRange(1, 100000);

    for (QLineEdit* field : {ui->edPTool, ui->edNTool}) {
        QAction* browse = field->addAction(style()->standardIcon(QStyle::SP_DirOpenIcon), QLineEdit::TrailingPosition);
        browse->setObjectName(field->objectName() + QStringLiteral("Browse"));
        browse->setToolTip(tr("Обзор"));
        connect(browse, &QAction::triggered, this, [this, field] { browseTool(field); });
    }
    openFile = [this](const QString& preset, const QString& filters) {
        QString selected = filters.section(QStringLiteral(";;"), 0, 0);
        return QFileDialog::getOpenFileName(this, QString(), preset, filters, &selected);
    };

    dlgExpColor = new QColorDialog(this);
    dlgExpColor->setObjectName(QStringLiteral("dlgExpColor"));
    pickColour = [this](const QColor& initial) {
        dlgExpColor->setCurrentColor(initial);
        return dlgExpColor->exec() == QDialog::Accepted ? dlgExpColor->selectedColor() : QColor();
    };
    for (QRadioButton* item : {ui->UnderExpSelectorItem0, ui->UnderExpSelectorItem1, ui->UnderExpSelectorItem2,
                               ui->OverExpSelectorItem0, ui->OverExpSelectorItem1, ui->OverExpSelectorItem2})
        item->installEventFilter(this);
    ui->pUnderExpColor->installEventFilter(this);
    ui->pOverExpColor->installEventFilter(this);

    connect(ui->btnCancel, &QPushButton::clicked, this, &TfrmOptions::btnCancelClick);

    FormCreate();

    if (QScreen* s = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(s->availableGeometry().center());
        move(frame.topLeft());
    }
    ui->btnCancel->setFocus(Qt::OtherFocusReason);
}

TfrmOptions::~TfrmOptions() = default;

QString TfrmOptions::toolFilters()
{
#ifdef Q_OS_WIN
    return tr("EXE files (*.exe);;COM files (*.com);;BAT files (*.bat);;CMD files (*.cmd);;"
              "Executable files (*.exe *.com *.bat *.cmd);;All files (*.*)");
#else
    // Programs here have no extension, so the browser opens on all files.
    return tr("All files (*);;EXE files (*.exe);;COM files (*.com);;BAT files (*.bat);;"
              "CMD files (*.cmd);;Executable files (*.exe *.com *.bat *.cmd)");
#endif
}

void TfrmOptions::showColour(QFrame* swatch, int colour)
{
    QPalette palette = swatch->palette();
    palette.setColor(QPalette::Window, StoredColour{colour}.toQColor());
    swatch->setPalette(palette);
}

void TfrmOptions::FormCreate()
{
    TFormStorage* store = m_app.Store;
    if (!store)
        return;
    ui->txtScribe->setText(store->get(Stored::Pattern));
    ui->edPTool->setText(store->get(Stored::ToolP));
    ui->edNTool->setText(store->get(Stored::ToolN));
    m_overColour = store->get(Stored::OverExpColour).value;
    m_underColour = store->get(Stored::UnderExpColour).value;
    showColour(ui->pOverExpColor, m_overColour);
    showColour(ui->pUnderExpColor, m_underColour);
    setItemIndex({ui->UnderExpSelectorItem0, ui->UnderExpSelectorItem1, ui->UnderExpSelectorItem2},
                 store->get(Stored::UnderExpMode));
    setItemIndex({ui->OverExpSelectorItem0, ui->OverExpSelectorItem1, ui->OverExpSelectorItem2},
                 store->get(Stored::OverExpMode));
    ui->ckAnyRAW->setChecked(store->get(Stored::AnyRaw));
    ui->ckExifRotate->setChecked(store->get(Stored::ExifRotate));
    ui->ckSmoothScale->setChecked(store->get(Stored::SmoothScale));
    ui->edMaxSize->setValue(store->get(Stored::MaxSize));
    // The stored language, Russian when the program has no such language.
    const QString language = store->get(Stored::Language);
    ui->cbLanguage->clear();
    for (const InterfaceLanguage& item : InterfaceLanguages()) {
        ui->cbLanguage->addItem(item.name, item.code);
        if (item.code == language)
            ui->cbLanguage->setCurrentIndex(ui->cbLanguage->count() - 1);
    }
}

void TfrmOptions::btnCancelClick()
{
    // The size as typed: a number still out of range is kept as it stands.
    const int maxSize = ui->edMaxSize->value();
    if (TFormStorage* store = m_app.Store) {
        store->set(Stored::ToolP, ui->edPTool->text());
        store->set(Stored::ToolN, ui->edNTool->text());
        store->set(Stored::Pattern, ui->txtScribe->text());
        store->set(Stored::OverExpColour, StoredColour{m_overColour});
        store->set(Stored::UnderExpColour, StoredColour{m_underColour});
        store->set(Stored::UnderExpMode,
                          itemIndex({ui->UnderExpSelectorItem0, ui->UnderExpSelectorItem1, ui->UnderExpSelectorItem2}));
        store->set(Stored::OverExpMode,
                          itemIndex({ui->OverExpSelectorItem0, ui->OverExpSelectorItem1, ui->OverExpSelectorItem2}));
        store->set(Stored::AnyRaw, ui->ckAnyRAW->isChecked());
        store->set(Stored::ExifRotate, ui->ckExifRotate->isChecked());
        store->set(Stored::SmoothScale, ui->ckSmoothScale->isChecked());
        store->set(Stored::MaxSize, maxSize);
        store->set(Stored::Language, ui->cbLanguage->currentData().toString());
    }
    accept();
}

void TfrmOptions::keyPressEvent(QKeyEvent* event)
{
    // Escape keeps the changes like "&Close"; only the close box discards them.
    if (event->key() == Qt::Key_Escape && !(event->modifiers() & ~Qt::KeypadModifier)) {
        btnCancelClick();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TfrmOptions::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn)
        FocusCheckedItem(watched, static_cast<QFocusEvent*>(event));
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        auto* swatch = qobject_cast<QFrame*>(watched);
        if (swatch && mouse->button() == Qt::LeftButton && swatch->rect().contains(mouse->position().toPoint())) {
            if (swatch == ui->pOverExpColor)
                pOverExpColorClick();
            else if (swatch == ui->pUnderExpColor)
                pUnderExpColorClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmOptions::pOverExpColorClick()
{
    chooseColour(ui->pOverExpColor, m_overColour);
}

void TfrmOptions::pUnderExpColorClick()
{
    chooseColour(ui->pUnderExpColor, m_underColour);
}

void TfrmOptions::chooseColour(QFrame* swatch, int& colour)
{
    // The picker opens on the colour last accepted in it, not the swatch's.
    const QColor chosen = pickColour ? pickColour(m_lastAccepted) : QColor();
    if (!chosen.isValid())
        return;
    m_lastAccepted = chosen;
    colour = StoredColour::of(chosen).value;
    showColour(swatch, colour);
}

void TfrmOptions::browseTool(QLineEdit* field)
{
    const QString text = field->text();
    const QString preset = QFileInfo(text).isFile() ? text : firstToken(text);
    const QString chosen = openFile ? openFile(preset, toolFilters()) : QString();
    if (chosen.isEmpty())
        return;
    QString path = QDir::toNativeSeparators(chosen);
    if (path.contains(QLatin1Char(' ')) && !path.startsWith(QLatin1Char('"')))
        path = QLatin1Char('"') + path + QLatin1Char('"');
    field->setText(path);
}

} // namespace tetrafot
