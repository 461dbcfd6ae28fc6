#pragma once
#include <QAbstractSpinBox>
#include <QColor>
#include <QDialog>
#include <functional>
#include <memory>
#include <optional>

class QColorDialog;
class QFrame;
class QLineEdit;

namespace tetrafot {

struct AppState;
namespace Ui {
class TfrmOptions;
}

// A whole-number field with up and down buttons that keeps what was typed:
// only digits and signs can be typed (anything else beeps), a number out of
// range is brought to the nearer bound only when the field loses the focus,
// and value() reads the text as it stands (text that is no number counts as
// the minimum, a number too large for an int as the nearer bound).
class TSpinEdit : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit TSpinEdit(QWidget* parent = nullptr);

    void setRange(int minimum, int maximum);
    int minimum() const { return m_min; }
    int maximum() const { return m_max; }

    int value() const;
    void setValue(int value);   // clamped into the range

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;

protected:
    StepEnabled stepEnabled() const override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // The whole number the text holds, beyond the 64-bit range as its end;
    // none for other text.
    std::optional<qint64> typedNumber() const;

    int m_min = 0;
    int m_max = 99;
};

// The options dialog: tool command lines, caption template, exposure overlay
// colours and rules, the RAW mark rule, the size limit for fitting, turning
// photos upright, smooth scaling and the interface language (which takes
// effect at the next start).
// "&Close" and Escape keep every change; the close box discards them all.
class TfrmOptions : public QDialog {
    Q_OBJECT
public:
    explicit TfrmOptions(AppState& app, QWidget* parent = nullptr);
    ~TfrmOptions() override;

    // The colour picker shared by both swatches: given the colour it opens
    // on, returns the accepted colour or an invalid one when cancelled.
    std::function<QColor(const QColor& initial)> pickColour;
    // The file-open dialog of the tool fields: given the preset file name and
    // the filter list, returns the chosen file or an empty text.
    std::function<QString(const QString& preset, const QString& filters)> openFile;

    // Filters of the tool browser, the first one selected.
    static QString toolFilters();

    // Colours as the settings hold them: 0x00BBGGRR, red in the low byte.

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void btnCancelClick();
    void pOverExpColorClick();
    void pUnderExpColorClick();
    void chooseColour(QFrame* swatch, int& colour);
    void browseTool(QLineEdit* field);
    void showColour(QFrame* swatch, int colour);

    AppState& m_app;
    std::unique_ptr<Ui::TfrmOptions> ui;
    QColorDialog* dlgExpColor = nullptr;
    QColor m_lastAccepted = Qt::black;
    int m_overColour = 0;
    int m_underColour = 0;
};

} // namespace tetrafot
