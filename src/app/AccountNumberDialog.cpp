#include "AccountNumberDialog.h"

#include "panes/ModalDialogs.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

std::optional<QString> askForAccountNumber(QWidget* parent, const QString& explanation)
{
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("pnlAccountNumber"));
    dialog.setWindowTitle(QStringLiteral("Account Number"));
    dialog.setMinimumWidth(380);
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(explanation, &dialog);
    label->setWordWrap(true);
    layout->addWidget(label);
    auto* field = new QLineEdit(&dialog);
    field->setObjectName(QStringLiteral("tfAccountNumber"));
    layout->addWidget(field);
    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    ok->setEnabled(false);
    QPushButton* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    layout->addWidget(buttons);
    QObject::connect(field, &QLineEdit::textChanged, ok,
                     [ok](const QString& text) { ok->setEnabled(!text.trimmed().isEmpty()); });
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    if (ModalDialogs::run(dialog) != QDialog::Accepted || field->text().trimmed().isEmpty())
        return std::nullopt;
    return field->text().trimmed();
}
