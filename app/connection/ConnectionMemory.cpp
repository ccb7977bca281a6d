#include "connection/ConnectionMemory.h"

#include <QSettings>
#include <QStandardPaths>

namespace neva {

std::string ConnectionMemory::path() {
    // Looked up each time: the configuration folder follows XDG_CONFIG_HOME.
    return (QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
            QStringLiteral("/neva-setup/connection.ini"))
        .toStdString();
}

std::optional<ConnectionChoice> ConnectionMemory::load() {
    QSettings s(QString::fromStdString(path()), QSettings::IniFormat);
    const QString port = s.value(QStringLiteral("connection/port")).toString();
    if (port.isEmpty()) return std::nullopt;
    ConnectionChoice c;
    c.port = port.toStdString();
    bool ok = false;
    const int speed = s.value(QStringLiteral("connection/speed")).toInt(&ok);
    if (ok && speed > 0) c.speed = speed;
    const int address = s.value(QStringLiteral("connection/address")).toInt(&ok);
    if (ok && address >= 1 && address <= 247) c.address = address;
    return c;
}

void ConnectionMemory::save(const ConnectionChoice& c) {
    QSettings s(QString::fromStdString(path()), QSettings::IniFormat);
    s.setValue(QStringLiteral("connection/port"), QString::fromStdString(c.port));
    s.setValue(QStringLiteral("connection/speed"), c.speed);
    s.setValue(QStringLiteral("connection/address"), c.address);
    s.sync();
}

}  // namespace neva
