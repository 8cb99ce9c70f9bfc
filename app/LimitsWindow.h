#pragma once

#include "LimitSet.h"

#include <QDialog>
#include <optional>
#include <string>

class QLabel;
class QTableWidget;

// The limit set the passes are judged against, as the operator sees and picks
// it: its name, version, rule and limits; a file to open; none. A file that
// cannot be taken leaves the set as it was and says why.
class LimitsWindow final : public QDialog {
  public:
    explicit LimitsWindow(std::optional<LimitSet> current, QWidget* parent = nullptr);

    const std::optional<LimitSet>& limits() const { return limits_; }
    // The file's bytes as opened (kept, so that the set's SHA-256 stays true).
    const std::string& bytes() const { return bytes_; }
    bool openFile(const QString& path);
    void clear();
    QString error() const;

  private:
    void showSet();
    std::optional<LimitSet> limits_;
    std::string bytes_;
    QLabel* title_ = nullptr;
    QTableWidget* table_ = nullptr;
    QLabel* error_ = nullptr;
};
