// Why a serial port could not be opened, in words a modeller can act on:
// a port the user may not open names the group that may (on Linux usually
// "dialout") and how to join it; a port that another program holds says so.
#pragma once

#include <QSerialPort>
#include <QString>

struct TPortAccess {
    bool exists = true;     // the device file is there
    bool accessible = true; // this user may read and write it
    QString group;          // the group that owns the device file; empty when unknown
};

// What the system says of the device file (Linux and macOS; elsewhere the defaults).
TPortAccess ProbePortAccess(const QString& deviceName);

// The reason shown when opening failed with this error. errorString is the
// serial driver's own text, used when there is nothing better to say.
QString PortOpenAdvice(const QString& deviceName, QSerialPort::SerialPortError error, const QString& errorString,
                       const TPortAccess& access);
