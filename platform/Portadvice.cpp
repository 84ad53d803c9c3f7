#include "platform/Portadvice.h"

#ifdef Q_OS_UNIX
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

TPortAccess ProbePortAccess(const QString& deviceName)
{
    TPortAccess access;
#ifdef Q_OS_UNIX
    const QByteArray path = deviceName.toLocal8Bit();
    struct stat info {};
    if (::stat(path.constData(), &info) != 0) {
        access.exists = false;
        access.accessible = false;
        return access;
    }
    access.accessible = ::access(path.constData(), R_OK | W_OK) == 0;
    if (const struct group* owner = ::getgrgid(info.st_gid))
        access.group = QString::fromLocal8Bit(owner->gr_name);
#else
    Q_UNUSED(deviceName);
#endif
    return access;
}

QString PortOpenAdvice(const QString& deviceName, QSerialPort::SerialPortError error, const QString& errorString,
                       const TPortAccess& access)
{
    if (deviceName.trimmed().isEmpty())
        return QStringLiteral("no port chosen");
    if (error == QSerialPort::DeviceNotFoundError || !access.exists)
        return QStringLiteral("no such port (is the interface plugged in?)");
    if (error == QSerialPort::PermissionError) {
        // Qt reports a port held by another program (its lock file, or the
        // exclusive flag of an open terminal) as a permission error too; the
        // file's own permissions tell the two apart.
        if (access.accessible)
            return QStringLiteral("the port is in use by another program; close that program and try again");
#ifdef Q_OS_WIN
        return QStringLiteral("access denied: the port is in use by another program, or this user may not use it");
#else
        const QString group = access.group.isEmpty() ? QStringLiteral("dialout") : access.group;
        return QStringLiteral("permission denied: this user may not use the port; add the user to the group \"%1\" "
                              "(sudo usermod -aG %1 $USER), then log out and in again")
            .arg(group);
#endif
    }
    return errorString;
}
