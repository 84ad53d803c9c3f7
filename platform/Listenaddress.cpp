#include "platform/Listenaddress.h"

bool ReadListenAddress(const QString& text, QHostAddress& host, quint16& port)
{
    const qsizetype colon = text.lastIndexOf(':');
    const QString hostText = colon < 0 ? QString() : text.left(colon);
    bool ok = false;
    const int value = (colon < 0 ? text : text.mid(colon + 1)).trimmed().toInt(&ok);
    if (!ok || value < 0 || value > 65535)
        return false;
    port = quint16(value);
    if (hostText.isEmpty() || hostText == "localhost") {
        host = QHostAddress(QHostAddress::LocalHost);
        return true;
    }
    if (hostText == "*" || hostText == "0.0.0.0") {
        host = QHostAddress(QHostAddress::Any);
        return true;
    }
    QString bare = hostText;
    if (bare.startsWith('[') && bare.endsWith(']'))
        bare = bare.mid(1, bare.size() - 2);
    return host.setAddress(bare);
}

QString ListenAddressText(const QHostAddress& host, quint16 port)
{
    // The dual-stack address reads as "0.0.0.0" yet takes IPv6 connections too.
    const QString shown = host.protocol() == QAbstractSocket::AnyIPProtocol ? QStringLiteral("*")
                          : host.protocol() == QAbstractSocket::IPv6Protocol ? "[" + host.toString() + "]"
                                                                              : host.toString();
    return shown + ":" + QString::number(port);
}

bool ListensEverywhere(const QHostAddress& host)
{
    return host == QHostAddress(QHostAddress::Any) || host == QHostAddress(QHostAddress::AnyIPv4) ||
           host == QHostAddress(QHostAddress::AnyIPv6);
}

QString ListenEverywhereWarning(quint16 port)
{
    return QStringLiteral("warning: listening on every address without authentication: anyone who reaches port %1 "
                          "can drive the layout")
        .arg(port);
}
