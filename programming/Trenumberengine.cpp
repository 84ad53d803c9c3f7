#include "programming/Trenumberengine.h"

#include "boards/core/Boarddata.h"
#include "boards/core/Tconfigurableboard.h"

TRenumberEngine::TRenumberEngine(IRenumberListener& listener, IEngineTimer* timeoutTimer, IEngineTimer* delayTimer)
    : listener_(listener), timeoutTimer_(timeoutTimer, kReplyTimeoutMs), delayTimer_(delayTimer, kChangeDelayMs)
{
    GoIdle();
    listener_.BoardListChanged({});
}

TRenumberEngine::~TRenumberEngine()
{
    timeoutTimer_.Stop();
    delayTimer_.Stop();
}

void TRenumberEngine::SetButtons(bool busy)
{
    const bool any = !boards_.empty();
    buttons_.discover = !busy;
    buttons_.identify = !busy && any;
    buttons_.renumber = !busy && any;
    buttons_.copyNewBoards = !busy && any;
    listener_.ButtonsChanged(buttons_);
}

void TRenumberEngine::GoIdle()
{
    listener_.StatusText(RenumberTexts::kIdle);
    state_ = TRenumberState::eIdle;
    timeoutTimer_.Stop();
    delayTimer_.Stop();
    SetButtons(false);
}

std::vector<std::string> TRenumberEngine::ListLines() const
{
    std::vector<std::string> lines;
    lines.reserve(boards_.size());
    for (const auto& board : boards_)
        lines.push_back(board->ListLine());
    return lines;
}

void TRenumberEngine::FillBoardList()
{
    listener_.BoardListChanged(ListLines());
}

void TRenumberEngine::Discover()
{
    if (state_ != TRenumberState::eIdle)
        return;
    boards_.clear();
    foundCount_ = 0;
    ignoredReplies_ = 0;
    listener_.BoardListChanged({});
    listener_.BoardCountChanged(0);
    SetButtons(true);
    listener_.BoardListChanged({RenumberTexts::kDiscoveringLine});
    listener_.StatusText(RenumberTexts::kDiscovering);
    auto message = std::make_unique<TLNSVProgMessage>();
    message->MakeSvDiscover(sourceAddress_);
    state_ = TRenumberState::eDiscovering;
    timeoutTimer_.Start();
    listener_.SendMessage(std::move(message));
}

bool TRenumberEngine::SelectBoard(int position)
{
    if (position < 0 || position >= static_cast<int>(boards_.size())) {
        listener_.MessageBox(RenumberTexts::kSelectFirst, RenumberTexts::kErrorCaption);
        return false;
    }
    chosenPosition_ = position;
    chosenSerial_ = boards_[position]->Address();
    return true;
}

void TRenumberEngine::StartOperation(TRenumberState state, const char* status,
                                     std::unique_ptr<TLNSVProgMessage> message)
{
    SetButtons(true);
    listener_.StatusText(status);
    state_ = state;
    timeoutTimer_.Start();
    listener_.SendMessage(std::move(message));
}

void TRenumberEngine::Identify(int position)
{
    if (state_ != TRenumberState::eIdle || !SelectBoard(position))
        return;
    serialOnly_ = false;
    StartOperation(TRenumberState::eIdentifying, RenumberTexts::kIdentifying,
                   boards_[chosenPosition_]->MakeIdentifyMessage());
}

void TRenumberEngine::IdentifySerial(int serial)
{
    if (state_ != TRenumberState::eIdle)
        return;
    serialOnly_ = true;
    chosenPosition_ = -1;
    chosenSerial_ = serial;
    identified_.reset();
    auto message = std::make_unique<TLNSVProgMessage>();
    message->MakeSvIdentify(sourceAddress_, serial);
    StartOperation(TRenumberState::eIdentifying, RenumberTexts::kIdentifying, std::move(message));
}

void TRenumberEngine::Renumber(int position, int newSerial)
{
    if (state_ != TRenumberState::eIdle || !SelectBoard(position))
        return;
    if (newSerial < kMinSerial || newSerial > kMaxSerial) {
        listener_.MessageBox(RenumberTexts::kOutOfRange, RenumberTexts::kErrorCaption);
        return;
    }
    newSerial_ = newSerial;
    for (const auto& board : boards_) {
        if (board->HasAddress(newSerial_)) {
            listener_.MessageBox(RenumberTexts::kDuplicate, RenumberTexts::kErrorCaption);
            return;
        }
    }
    StartOperation(TRenumberState::eIdentifyBeforeChange, RenumberTexts::kIdentifying,
                   boards_[chosenPosition_]->MakeIdentifyMessage());
}

int TRenumberEngine::CopyNewBoards(TBoardData& collection)
{
    if (boards_.empty()) {
        listener_.ErrorMessage(RenumberTexts::kDiscoverFirst);
        return 0;
    }
    int added = 0;
    for (const auto& found : boards_) {
        // The configured serial number is the number the board answers at.
        if (collection.FindBySerial(found->Address()) != nullptr)
            continue;
        for (int type = 0; type < kBoardTypeCount; ++type) {
            if (found->Product() != TBoardData::ShortTypeName(static_cast<uint8_t>(type)))
                continue;
            // A model that is not built in gets no board (and no serial number of another).
            if (!collection.AppendBoard(static_cast<uint8_t>(type)))
                continue;
            const int last = collection.BoardCount(static_cast<uint8_t>(type)) - 1;
            collection.BoardAt(static_cast<uint8_t>(type), last)->SetSerialNumber(found->Address());
            ++added;
        }
    }
    return added;
}

void TRenumberEngine::HandleSvMessage(const TLNSVProgMessage& message)
{
    switch (state_) {
    case TRenumberState::eIdle:
        break;
    case TRenumberState::eDiscovering:
        if (message.SvKind() != eSvDiscoverReply)
            break;
        if (static_cast<int>(boards_.size()) >= kMaxBoards) {
            // The list is full; the bus is still answering, so discovery
            // still waits for the replies to end.
            ++ignoredReplies_;
        } else {
            auto board = std::make_unique<TRenumberableBoard>(message);
            board->LookUpProduct(products_);
            boards_.push_back(std::move(board));
            ++foundCount_;
            listener_.BoardCountChanged(foundCount_);
        }
        timeoutTimer_.Stop();
        timeoutTimer_.Start();
        break;
    case TRenumberState::eIdentifying:
        if (serialOnly_) {
            if (message.SvKind() != eSvIdentifyReply || message.SvReplyAddress() != chosenSerial_)
                break;
            identified_ = std::make_unique<TRenumberableBoard>(message);
            identified_->LookUpProduct(products_);
        } else if (boards_[chosenPosition_]->IsIdentifyReply(message)) {
            boards_[chosenPosition_]->TakeIdentity(message);
        } else {
            break;
        }
        timeoutTimer_.Stop();
        GoIdle();
        listener_.MessageBox(RenumberTexts::kIdentifySuccessful, RenumberTexts::kIdentifyCaption);
        listener_.OperationEnded(TRenumberOperation::eIdentify, true);
        break;
    case TRenumberState::eIdentifyBeforeChange:
        if (!boards_[chosenPosition_]->IsIdentifyReply(message))
            break;
        boards_[chosenPosition_]->TakeIdentity(message);
        timeoutTimer_.Stop();
        delayTimer_.Start();
        break;
    case TRenumberState::eChangingAddress:
        if (!boards_[chosenPosition_]->AcceptAddressChange(message))
            break;
        timeoutTimer_.Stop();
        GoIdle();
        listener_.MessageBox(RenumberTexts::kChangeSuccessful, RenumberTexts::kChangeCaption);
        FillBoardList();
        listener_.OperationEnded(TRenumberOperation::eChangeAddress, true);
        break;
    }
}

void TRenumberEngine::DelayExpired(uint64_t token)
{
    if (!delayTimer_.Expired(token))
        return;
    delayTimer_.Stop();
    if (state_ != TRenumberState::eIdentifyBeforeChange)
        return;
    listener_.StatusText(RenumberTexts::kChangingAddress);
    state_ = TRenumberState::eChangingAddress;
    timeoutTimer_.Start();
    listener_.SendMessage(boards_[chosenPosition_]->MakeChangeAddressMessage(newSerial_));
}

void TRenumberEngine::TimeoutMessage(const char* text, TRenumberOperation operation)
{
    listener_.MessageBox(text, RenumberTexts::kTimeoutCaption);
    GoIdle();
    listener_.OperationEnded(operation, false);
}

void TRenumberEngine::TimeoutExpired(uint64_t token)
{
    if (!timeoutTimer_.Expired(token))
        return;
    timeoutTimer_.Stop();
    switch (state_) {
    case TRenumberState::eIdle:
        break;
    case TRenumberState::eDiscovering:
        FillBoardList();
        GoIdle();
        listener_.MessageBox(RenumberTexts::kDiscoveryComplete, RenumberTexts::kDiscoverCaption);
        listener_.OperationEnded(TRenumberOperation::eDiscover, true);
        break;
    case TRenumberState::eIdentifying:
    case TRenumberState::eIdentifyBeforeChange:
        TimeoutMessage(RenumberTexts::kNoIdentifyResponse,
                       state_ == TRenumberState::eIdentifying ? TRenumberOperation::eIdentify
                                                                : TRenumberOperation::eChangeAddress);
        break;
    case TRenumberState::eChangingAddress:
        TimeoutMessage(RenumberTexts::kNoChangeResponse, TRenumberOperation::eChangeAddress);
        break;
    }
}
