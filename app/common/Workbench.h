// The workbench: what a window needs from the program around it. The main
// window is one; a test gives a window a small one of its own, so that a
// window can be made, driven and checked without a main window.
//
// It offers the link (sending, its state, the signal that it was lost), the
// received messages by kind, the board lists and their file dialogs, the
// status strip's programming field, help, the workspace children open in and
// the program's exit.
#pragma once

#include "link/Lncomm.h"
#include "link/Lnmessage.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

class QMdiArea;
class TBoardData;

// What a window must know of the link before it starts a conversation with
// the boards.
struct TLinkState {
    bool open = false;       // the port is open
    bool connected = false;  // and, for a network link, its server is there
    QString port;            // the device name: "Com1", "sim", "tcp:host:1234"
    ELocoNetInterface interface = eMS100;
};

// The kinds given; Kinds() alone is none, AllKinds() every kind.
TKindSet Kinds(std::initializer_list<TLnMessageKind> kinds);
TKindSet AllKinds();

class TWorkbench : public QObject {
    Q_OBJECT
public:
    using TReceiver = std::function<void(const TLocoNetMessage&)>;

    explicit TWorkbench(QObject* parent = nullptr);
    ~TWorkbench() override;

    // ---- The link ----
    // Hands a message to the link, which takes ownership. A command the
    // operator gave names itself in what ("Track Power On"): with no open
    // link the status strip then says it was not sent.
    virtual void SendMessage(std::unique_ptr<TLocoNetMessage> message, const QString& what = {}) = 0;
    virtual TLinkState LinkState() const = 0;

    // ---- Received messages ----
    // The window gets every received message of these kinds, decoded, while
    // it is shown (a minimised workspace window counts), in the order the
    // windows registered. It stays registered until it is destroyed or
    // unregisters; registering again replaces what it registered before.
    void Subscribe(QWidget* window, const TKindSet& kinds, TReceiver receiver);
    // The same, for windows that want one decoder class: other messages of
    // the kinds are passed over.
    template <class TMessage>
    void Subscribe(QWidget* window, const TKindSet& kinds, std::function<void(const TMessage&)> receiver)
    {
        Subscribe(window, kinds, [receiver = std::move(receiver)](const TLocoNetMessage& message) {
            if (const auto* wanted = dynamic_cast<const TMessage*>(&message))
                receiver(*wanted);
        });
    }
    void Unsubscribe(const QWidget* window);
    // The live windows registered for a kind, shown or not.
    int SubscriberCount(int kind) const;
    // Hands one received message to the windows registered for its kind;
    // whoever owns the link calls it for every message. A receiver may open,
    // close or register windows meanwhile.
    void Deliver(const TLocoNetMessage& message);

    // ---- Board lists and their files ----
    // Every configured board of the run, one list per board type.
    virtual TBoardData& BoardData() = 0;
    // The board list file dialogs: the chosen path, empty when cancelled.
    virtual QString OpenFileDialog(const QString& title) = 0;
    virtual QString SaveFileDialog(const QString& title, const QString& fileName = {}) = 0;
    // A window changed the lists outside the board configuration window.
    virtual void AnnounceBoardListsChanged();

    // ---- Status strip, help, windows ----
    // The status strip's field for board programming and numbering.
    virtual void ShowProgStatus(const QString& text) = 0;
    virtual void ShowHelp(int topic);
    // Where child windows open; null: they open as windows of their own.
    virtual QMdiArea* Workspace() const = 0;
    // The program's own window, which dialogs open beside; may be null.
    virtual QWidget* TopWindow() const = 0;
    // File, Exit in a child window: the program's exit, questions included.
    virtual void CloseProgram() = 0;

signals:
    // The link failed under whatever was being sent: the device went away
    // (the link is closed) or a network link lost its server (it reconnects).
    // A transfer in progress cannot succeed any more.
    void LinkLost(const QString& reason);
    // The board lists changed outside the board configuration window (boards
    // copied in by the numbering window); that window shows them again.
    void BoardListsChanged();

private:
    struct TSubscription {
        QPointer<QWidget> window;
        TKindSet kinds;
        std::shared_ptr<TReceiver> receiver;  // null once unregistered
    };
    void DropUnregistered();

    std::vector<TSubscription> subscriptions_;
    int delivering_ = 0;  // nested Deliver calls under way
};
