#include "ThreadedD2xx.h"

#include "InputGate.h"

#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QObject>
#include <QTimer>

ThreadedD2xx::ThreadedD2xx(D2xx& inner) : inner_(inner), worker_(new QObject) {
    thread_.setObjectName(QStringLiteral("device"));
    worker_->moveToThread(&thread_);
    QObject::connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    thread_.start();
}

ThreadedD2xx::~ThreadedD2xx() {
    thread_.quit();
    thread_.wait();
}

void ThreadedD2xx::runAndWait(const std::function<void()>& work) {
    call([&work] {
        work();
        return FT_OK;
    });
}

void ThreadedD2xx::post(std::function<void()> work) {
    QMetaObject::invokeMethod(worker_, std::move(work), Qt::QueuedConnection);
}

FT_STATUS ThreadedD2xx::call(const std::function<FT_STATUS()>& work) {
    if (QThread::currentThread() == &thread_) {
        return work();
    }
    if (beforeWaiting && !InputGate::instance().deviceCallUnderWay()) {
        beforeWaiting();
    }
    const InputGate::DeviceCall underWay;
    FT_STATUS status = FT_OK;
    bool done = false;
    QEventLoop loop;
    QMetaObject::invokeMethod(
        worker_,
        [&] {
            const FT_STATUS result = work();
            // Back on the user-interface thread, which waits for exactly this.
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [&, result] {
                    status = result;
                    done = true;
                    loop.quit();
                },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);

    bool busy = false;
    QTimer busyCursor;
    busyCursor.setSingleShot(true);
    QObject::connect(&busyCursor, &QTimer::timeout, &loop, [&busy] {
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
            QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
            busy = true;
        }
    });
    busyCursor.start(BusyCursorAfterMs);
    // Everything but the operator's input: Qt keeps that for the next full
    // turn of the event loop, which is the forms' next yield.
    while (!done) {
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (busy) {
        QGuiApplication::restoreOverrideCursor();
    }
    return status;
}

#define THREADED_CALL(name, parameters, arguments)                                                                     \
    FT_STATUS ThreadedD2xx::name parameters {                                                                          \
        return call([&] { return inner_.name arguments; });                                                            \
    }
D2XX_OPERATIONS(THREADED_CALL)
#undef THREADED_CALL
