// Screenshot tour steps for sharing the link on the network: the address
// dialog, then the main window with two clients connected.
#include "app/shell/Linksharing.h"
#include "app/shell/Main.h"
#include "app/tour/Tourparts.h"

#include <QLineEdit>
#include <QTcpServer>
#include <QTcpSocket>

#include <memory>
#include <vector>

void AddLinkSharingTourSteps(TMainForm& main, const QString& folder, TTourSteps& steps)
{
    TMainForm* form = &main;
    auto clients = std::make_shared<std::vector<std::unique_ptr<QTcpSocket>>>();
    steps.push_back({300, [form] { form->LinkSharing->Action()->trigger(); }});
    steps.push_back({300, [form, folder] {
                         TShareLinkDialog* dialog = form->LinkSharing->Dialog();
                         SaveTourPicture(dialog, folder, QStringLiteral("share-link.png"));
                         if (!dialog)
                             return;
                         QTcpServer probe;  // a free port, so the tour runs beside a real server
                         probe.listen(QHostAddress::LocalHost, 0);
                         dialog->AddressEdit->setText(QString::number(probe.serverPort()));
                         probe.close();
                         dialog->accept();
                     }});
    steps.push_back({200, [form, clients] {
                         for (int i = 0; i < 2 && form->LinkSharing->Sharing(); ++i) {
                             clients->push_back(std::make_unique<QTcpSocket>());
                             clients->back()->connectToHost(QHostAddress::LocalHost, form->LinkSharing->Port());
                         }
                     }});
    steps.push_back({400, [form, folder, clients] {
                         SaveTourPicture(form, folder, QStringLiteral("share-link-status.png"));
                         clients->clear();
                         form->LinkSharing->Stop();
                     }});
}
