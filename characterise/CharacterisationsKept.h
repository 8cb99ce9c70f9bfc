#pragma once

#include <QDialog>
#include <QStringList>

class CharacterisationPlots;
class QLabel;
class QListWidget;

// The characterisations kept in record folders (their
// characterisation-<id>.json), newest first; the one picked shown as the
// CHARACTERISE window shows a finished one, and exported.
class CharacterisationsKept final : public QDialog {
  public:
    explicit CharacterisationsKept(const QStringList& folders, QWidget* parent = nullptr);
    int count() const;
    // Shows the n-th listed; false (and why in the status) when it cannot be read.
    bool showKept(int n);
    QString statusText() const;
    CharacterisationPlots& plots() { return *plots_; }

  private:
    void exportShown();
    QStringList paths_;
    int shown_ = -1;
    QListWidget* list_;
    QLabel* status_;
    CharacterisationPlots* plots_;
};
