#include "dialogs/comparedialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace tetrafot {

TfrmCompare::TfrmCompare(const QStringList& folders, FolderComparison::Options options,
                         std::function<QString(QWidget*, const QString&)> browse, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmCompare"));
    setWindowTitle(tr("Сравнить папки"));
    auto* layout = new QVBoxLayout(this);
    auto* hint = new QLabel(tr("Две–четыре папки: снимки с одинаковыми именами показываются рядом. "
                               "Одна папка — обычный просмотр."));
    hint->setWordWrap(true);
    layout->addWidget(hint);
    auto* grid = new QGridLayout;
    for (int i = 0; i < 4; ++i) {
        auto* field = new QLineEdit(i < folders.size() ? folders[i] : QString());
        field->setObjectName(QStringLiteral("CompareFolder%1").arg(i + 1));
        field->setMinimumWidth(420);
        auto* pick = new QToolButton;
        pick->setObjectName(QStringLiteral("CompareBrowse%1").arg(i + 1));
        pick->setText(QStringLiteral("…"));
        pick->setToolTip(tr("Выбрать папку"));
        connect(pick, &QToolButton::clicked, this, [this, field, browse] {
            const QString chosen = browse(this, field->text());
            if (!chosen.isEmpty())
                field->setText(QDir::toNativeSeparators(chosen));
        });
        grid->addWidget(new QLabel(QString::number(i + 1)), i, 0);
        grid->addWidget(field, i, 1);
        grid->addWidget(pick, i, 2);
        m_fields[size_t(i)] = field;
    }
    layout->addLayout(grid);
    m_byPosition = new QCheckBox(tr("Сопоставлять по порядку, а не по имени"));
    m_byPosition->setObjectName(QStringLiteral("CompareByPosition"));
    m_byPosition->setChecked(options.match == FolderComparison::Match::ByPosition);
    layout->addWidget(m_byPosition);
    m_commonOnly = new QCheckBox(tr("Только снимки, которые есть во всех папках"));
    m_commonOnly->setObjectName(QStringLiteral("CompareCommonOnly"));
    m_commonOnly->setChecked(options.commonOnly);
    layout->addWidget(m_commonOnly);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QStringList TfrmCompare::folders() const
{
    QStringList chosen;
    for (const QLineEdit* field : m_fields)
        if (!field->text().trimmed().isEmpty())
            chosen << field->text().trimmed();
    return chosen;
}

FolderComparison::Options TfrmCompare::options() const
{
    return {m_byPosition->isChecked() ? FolderComparison::Match::ByPosition : FolderComparison::Match::ByName,
            m_commonOnly->isChecked()};
}

} // namespace tetrafot
