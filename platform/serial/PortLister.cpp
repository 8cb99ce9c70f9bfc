#include "PortLister.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>

std::optional<std::string> sysfsProduct(const std::string& portName, const std::string& sysRoot) {
    const QString device =
        QString::fromStdString(sysRoot) + "/class/tty/" + QString::fromStdString(portName) + "/device";
    QString dir = QFileInfo(device).canonicalFilePath();
    // The tty hangs below the USB interface, which hangs below the USB device
    // that carries the product text: walk up a few levels to find it.
    for (int level = 0; level < 4 && !dir.isEmpty(); ++level) {
        QFile product(dir + "/product");
        if (product.open(QIODevice::ReadOnly)) {
            return QString::fromLatin1(product.readAll()).trimmed().toStdString();
        }
        dir = QFileInfo(dir).dir().absolutePath();
    }
    return std::nullopt;
}

std::vector<PortInfo> SystemPortLister::ports() {
    std::vector<PortInfo> found;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        PortInfo port;
        port.portName = info.portName().toStdString();
        port.description = info.description().toStdString();
        if (const auto product = sysfsProduct(port.portName)) {
            port.description = *product;
        }
        port.serialNumber = info.serialNumber().toStdString();
        if (info.hasVendorIdentifier()) {
            port.vendorId = info.vendorIdentifier();
        }
        found.push_back(port);
    }
    return found;
}
