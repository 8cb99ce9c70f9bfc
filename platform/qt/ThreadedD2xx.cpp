#include "ThreadedD2xx.h"

#include "InputGate.h"

#include <QEventLoop>
#include <QCursor>
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

FT_STATUS ThreadedD2xx::FT_ListDevices(void* pArg1, void* pArg2, std::uint32_t Flags) {
    return call([&] { return inner_.FT_ListDevices(pArg1, pArg2, Flags); });
}
FT_STATUS ThreadedD2xx::FT_OpenEx(const char* pArg1, std::uint32_t Flags, FT_HANDLE* pHandle) {
    return call([&] { return inner_.FT_OpenEx(pArg1, Flags, pHandle); });
}
FT_STATUS ThreadedD2xx::FT_GetComPortNumber(FT_HANDLE h, std::int32_t* number) {
    return call([&] { return inner_.FT_GetComPortNumber(h, number); });
}
FT_STATUS ThreadedD2xx::FT_SetUSBParameters(FT_HANDLE h, std::uint32_t in, std::uint32_t out) {
    return call([&] { return inner_.FT_SetUSBParameters(h, in, out); });
}
FT_STATUS ThreadedD2xx::FT_SetBaudRate(FT_HANDLE h, std::uint32_t BaudRate) {
    return call([&] { return inner_.FT_SetBaudRate(h, BaudRate); });
}
FT_STATUS ThreadedD2xx::FT_SetDataCharacteristics(FT_HANDLE h, std::uint8_t WordLength,
                                                  std::uint8_t StopBits, std::uint8_t Parity) {
    return call([&] { return inner_.FT_SetDataCharacteristics(h, WordLength, StopBits, Parity); });
}
FT_STATUS ThreadedD2xx::FT_SetFlowControl(FT_HANDLE h, std::uint16_t FlowControl,
                                          std::uint8_t XonChar, std::uint8_t XoffChar) {
    return call([&] { return inner_.FT_SetFlowControl(h, FlowControl, XonChar, XoffChar); });
}
FT_STATUS ThreadedD2xx::FT_SetChars(FT_HANDLE h, std::uint8_t EventChar, std::uint8_t EventCharEnabled,
                                    std::uint8_t ErrorChar, std::uint8_t ErrorCharEnabled) {
    return call([&] {
        return inner_.FT_SetChars(h, EventChar, EventCharEnabled, ErrorChar, ErrorCharEnabled);
    });
}
FT_STATUS ThreadedD2xx::FT_SetTimeouts(FT_HANDLE h, std::uint32_t ReadTimeout, std::uint32_t WriteTimeout) {
    return call([&] { return inner_.FT_SetTimeouts(h, ReadTimeout, WriteTimeout); });
}
FT_STATUS ThreadedD2xx::FT_Write(FT_HANDLE h, const void* lpBuffer, std::uint32_t dwBytesToWrite,
                                 std::uint32_t* lpdwBytesWritten) {
    return call([&] { return inner_.FT_Write(h, lpBuffer, dwBytesToWrite, lpdwBytesWritten); });
}
FT_STATUS ThreadedD2xx::FT_Read(FT_HANDLE h, void* lpBuffer, std::uint32_t dwBytesToRead,
                                std::uint32_t* lpdwBytesReturned) {
    return call([&] { return inner_.FT_Read(h, lpBuffer, dwBytesToRead, lpdwBytesReturned); });
}
FT_STATUS ThreadedD2xx::FT_Purge(FT_HANDLE h, std::uint32_t Mask) {
    return call([&] { return inner_.FT_Purge(h, Mask); });
}
FT_STATUS ThreadedD2xx::FT_CyclePort(FT_HANDLE h) {
    return call([&] { return inner_.FT_CyclePort(h); });
}
FT_STATUS ThreadedD2xx::FT_Close(FT_HANDLE h) {
    return call([&] { return inner_.FT_Close(h); });
}
