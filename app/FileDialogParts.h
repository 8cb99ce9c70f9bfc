#pragma once

#include <QString>
#include <functional>

class QDialog;
class QDialogButtonBox;
class QLabel;
class QVBoxLayout;

// What the accuracy and limits windows share: a red line that says why a
// file was not taken, and OK, Cancel and "Open file..." (a JSON file of the
// kind named), to which each window adds its own buttons.
QLabel* addErrorLine(QVBoxLayout* layout);
QDialogButtonBox* addFileButtons(QDialog* dialog, QVBoxLayout* layout, const QString& kind,
                                 std::function<void(const QString& path)> open);
