#include "app/common/Workbench.h"

#include "app/common/Formsupport.h"

#include <algorithm>

TKindSet Kinds(std::initializer_list<TLnMessageKind> kinds)
{
    TKindSet set;
    for (TLnMessageKind kind : kinds)
        set.set(static_cast<size_t>(kind));
    return set;
}

TKindSet AllKinds()
{
    return TKindSet().set();
}

TWorkbench::TWorkbench(QObject* parent) : QObject(parent) {}

TWorkbench::~TWorkbench() = default;

void TWorkbench::Subscribe(QWidget* window, const TKindSet& kinds, TReceiver receiver)
{
    Unsubscribe(window);
    subscriptions_.push_back({window, kinds, std::make_shared<TReceiver>(std::move(receiver))});
}

void TWorkbench::Unsubscribe(const QWidget* window)
{
    for (TSubscription& subscription : subscriptions_) {
        if (subscription.window == window)
            subscription.receiver.reset();
    }
    DropUnregistered();
}

int TWorkbench::SubscriberCount(int kind) const
{
    if (kind < 0 || kind >= kLnMessageKindCount)
        return 0;
    return static_cast<int>(std::count_if(subscriptions_.begin(), subscriptions_.end(), [kind](const TSubscription& s) {
        return s.receiver && !s.window.isNull() && s.kinds.test(static_cast<size_t>(kind));
    }));
}

void TWorkbench::Deliver(const TLocoNetMessage& message)
{
    const int kind = message.MessageKind();
    if (kind < 0 || kind >= kLnMessageKindCount)
        return;
    // By index and with the receiver held: a receiver may register a window
    // (the list grows and moves) or close one (its entry is only marked
    // while a delivery is under way). Windows registered meanwhile wait for
    // the next message.
    ++delivering_;
    const size_t count = subscriptions_.size();
    for (size_t i = 0; i < count; ++i) {
        if (!subscriptions_[i].kinds.test(static_cast<size_t>(kind)))
            continue;
        std::shared_ptr<TReceiver> receiver = subscriptions_[i].receiver;
        if (receiver && FormShown(subscriptions_[i].window.data()))
            (*receiver)(message);
    }
    --delivering_;
    DropUnregistered();
}

void TWorkbench::DropUnregistered()
{
    if (delivering_ > 0)
        return;
    std::erase_if(subscriptions_, [](const TSubscription& s) { return !s.receiver || s.window.isNull(); });
}

void TWorkbench::AnnounceBoardListsChanged()
{
    emit BoardListsChanged();
}

void TWorkbench::ShowHelp(int topic)
{
    ShowHelpTopic(topic);
}
