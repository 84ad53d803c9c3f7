// Screenshot tour steps for the bridge to MQTT: its settings dialog, then the
// main window with the bridge waiting for a broker that is not there (the
// tour starts none), and the bridge stopped again.
#include "app/shell/Mqttbridging.h"
#include "app/tour/Tourparts.h"

#include <QLineEdit>
#include <QMainWindow>
#include <QTcpServer>

void AddMqttBridgeTourSteps(const TTour& tour, TTourSteps& steps)
{
    if (!TMqttBridging::Available())
        return;
    QMainWindow* form = tour.window;
    const QString folder = tour.folder;
    auto bridging = [form] { return form->findChild<TMqttBridging*>(); };
    steps.push_back({300, [tour] { tour.Trigger("MqttBridge1"); }});
    steps.push_back({300, [bridging, folder] {
                         TMqttBridgeDialog* dialog = bridging()->Dialog();
                         SaveTourPicture(dialog, folder, QStringLiteral("mqtt-bridge.png"));
                         if (!dialog)
                             return;
                         QTcpServer probe;  // a free port: no broker answers there
                         probe.listen(QHostAddress::LocalHost, 0);
                         dialog->BrokerEdit->setText(QStringLiteral("127.0.0.1:%1").arg(probe.serverPort()));
                         probe.close();
                         dialog->accept();
                     }});
    steps.push_back({700, [form, bridging, folder] {
                         SaveTourPicture(form, folder, QStringLiteral("mqtt-bridge-status.png"));
                         bridging()->Stop();
                     }});
}
