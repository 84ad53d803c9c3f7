// Screenshot tour steps for sharing the link on the network: the address
// dialog, then the main window with two clients connected.
#include "app/shell/Linksharing.h"
#include "app/tour/Tourparts.h"

#include <QLineEdit>
#include <QMainWindow>
#include <QTcpServer>
#include <QTcpSocket>

#include <memory>
#include <vector>

void AddLinkSharingTourSteps(const TTour& tour, TTourSteps& steps)
{
    QMainWindow* form = tour.window;
    const QString folder = tour.folder;
    auto sharing = [form] { return form->findChild<TLinkSharing*>(); };
    auto clients = std::make_shared<std::vector<std::unique_ptr<QTcpSocket>>>();
    steps.push_back({300, [tour] { tour.Trigger("ShareLink1"); }});
    steps.push_back({300, [sharing, folder] {
                         TShareLinkDialog* dialog = sharing()->Dialog();
                         SaveTourPicture(dialog, folder, QStringLiteral("share-link.png"));
                         if (!dialog)
                             return;
                         QTcpServer probe;  // a free port, so the tour runs beside a real server
                         probe.listen(QHostAddress::LocalHost, 0);
                         dialog->AddressEdit->setText(QString::number(probe.serverPort()));
                         probe.close();
                         dialog->accept();
                     }});
    steps.push_back({200, [sharing, clients] {
                         for (int i = 0; i < 2 && sharing()->Sharing(); ++i) {
                             clients->push_back(std::make_unique<QTcpSocket>());
                             clients->back()->connectToHost(QHostAddress::LocalHost, sharing()->Port());
                         }
                     }});
    steps.push_back({400, [form, sharing, folder, clients] {
                         SaveTourPicture(form, folder, QStringLiteral("share-link-status.png"));
                         clients->clear();
                         sharing()->Stop();
                     }});
}
