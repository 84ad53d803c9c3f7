#include "platform/Linkports.h"

#include "platform/Serialport.h"
#include "platform/Simport.h"
#include "platform/Tcpport.h"
#include "sim/Simloconet.h"

#include <QCoreApplication>
#include <QPointer>

namespace {

QPointer<TSimLocoNet>& InProcessNet()
{
    static QPointer<TSimLocoNet> net;
    return net;
}

}  // namespace

bool IsSimulatedDeviceName(const std::string& deviceName)
{
    return deviceName == "sim";
}

bool ParseTcpDeviceName(const std::string& deviceName, std::string& host, int& port)
{
    if (deviceName.rfind("tcp:", 0) != 0)
        return false;
    const std::string rest = deviceName.substr(4);
    if (rest.empty())
        return false;
    // "tcp:[::1]:1234" for IPv6 addresses.
    std::string::size_type colon = std::string::npos;
    if (rest.front() == '[') {
        const auto close = rest.find(']');
        if (close == std::string::npos)
            return false;
        host = rest.substr(1, close - 1);
        if (close + 1 < rest.size()) {
            if (rest[close + 1] != ':')
                return false;
            colon = close + 1;
        }
    } else {
        colon = rest.rfind(':');
        host = rest.substr(0, colon);
    }
    port = TTcpPort::kDefaultPort;
    if (colon != std::string::npos) {
        const std::string digits = rest.substr(colon + 1);
        if (digits.empty() || digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos)
            return false;
        port = std::stoi(digits);
        if (port < 1 || port > 65535)
            return false;
    }
    return !host.empty();
}

std::unique_ptr<TLnPort> MakeLinkPort(const std::string& deviceName)
{
    if (IsSimulatedDeviceName(deviceName))
        return std::make_unique<TSimPort>();
    if (deviceName.rfind("tcp:", 0) == 0)
        return std::make_unique<TTcpPort>();
    return std::make_unique<TSerialPort>();
}

void ConfigureSimulatedLocoNet(const TSimSettings& settings)
{
    QPointer<TSimLocoNet>& net = InProcessNet();
    delete net.data();
    net = new TSimLocoNet(settings, QCoreApplication::instance());
}

TSimLocoNet& SimulatedLocoNet()
{
    QPointer<TSimLocoNet>& net = InProcessNet();
    if (!net)
        net = new TSimLocoNet(DefaultSimulation(), QCoreApplication::instance());
    return *net;
}
