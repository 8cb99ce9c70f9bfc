#include "RecordHooks.h"

#include "Form1.h"
#include "MeasurementRecord.h"
#include "QtReportPlatform.h"

#include <QBuffer>
#include <QImage>

RecordHooks::RecordHooks(MeasurementRecord& record, Form1& form, QtKeySynth& keys, std::function<void()> repaint) {
    keys.imageTaken = [&record, &form](const QImage& image) {
        record.reportCaptured(form.now(), [image] {
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "PNG");
            return bytes.toStdString();
        });
    };
    QObject::connect(&lateFailures_, &QTimer::timeout, [&form, repaint = std::move(repaint)] {
        const bool idle = !form.CalculationRunning && !form.DialogueRunning && !form.Report.window.loaded;
        if (idle) {
            const std::size_t before = form.List1.lines.size();
            form.session.logRecordEvents(std::chrono::milliseconds(0));
            if (form.List1.lines.size() != before && repaint) {
                repaint();
            }
        }
    });
    lateFailures_.start(LateFailureCheckMs);
}
