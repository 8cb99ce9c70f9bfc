#pragma once

#include <QTimer>
#include <functional>

class Form1;
class MeasurementRecord;
class QtKeySynth;

// With --record: every report image CAPTURE takes also goes to the record,
// and a write that fails after its pass or capture has ended (a slow disk)
// is still logged, as soon as no action runs.
class RecordHooks {
  public:
    RecordHooks(MeasurementRecord& record, Form1& form, QtKeySynth& keys, std::function<void()> repaint);

    static constexpr int LateFailureCheckMs = 500;

  private:
    QTimer lateFailures_;
};
