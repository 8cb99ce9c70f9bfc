#include "FileDialogParts.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

QLabel* addErrorLine(QVBoxLayout* layout) {
    auto* error = new QLabel;
    error->setObjectName(QStringLiteral("error"));
    error->setStyleSheet(QStringLiteral("color: #c00000"));
    error->setWordWrap(true);
    layout->addWidget(error);
    return error;
}

QDialogButtonBox* addFileButtons(QDialog* dialog, QVBoxLayout* layout, const QString& kind,
                                 std::function<void(const QString& path)> open) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    auto* openButton = buttons->addButton(QStringLiteral("Open file..."), QDialogButtonBox::ActionRole);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    QObject::connect(openButton, &QPushButton::clicked, dialog, [dialog, kind, open = std::move(open)] {
        const QString path = QFileDialog::getOpenFileName(dialog, kind, QString(),
                                                          QStringLiteral("%1 (*.json);;All files (*)").arg(kind));
        if (!path.isEmpty()) {
            open(path);
        }
    });
    return buttons;
}
