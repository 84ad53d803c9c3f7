// Board discovery, identification and renumbering: finds every board that
// answers the SV discover command, names it from the product list, makes one
// board identify itself, gives a board a new serial number, and copies newly
// found boards into the configured board lists.
//
// A plain engine fed events (the operator's commands, received SV-access
// messages, the expiry of its two timers); it reports through
// IRenumberListener. No retries: one timeout ends an operation.
#pragma once

#include "link/Tsvprogmsg.h"
#include "programming/Tenginetimer.h"
#include "programming/Tproductlist.h"
#include "programming/Trenumberableboard.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TBoardData;

enum class TRenumberState : uint8_t {
    eIdle = 0,
    eDiscovering = 1,
    eIdentifyBeforeChange = 2,
    eIdentifying = 3,
    eChangingAddress = 4,
};

enum class TRenumberOperation : uint8_t { eDiscover, eIdentify, eChangeAddress };

struct TRenumberButtons {
    bool discover = true;
    bool identify = false;
    bool renumber = false;
    bool copyNewBoards = false;
};

class IRenumberListener {
public:
    virtual ~IRenumberListener() = default;
    // The message to hand to the link, which takes it over.
    virtual void SendMessage(std::unique_ptr<TLNSVProgMessage> message) = 0;
    // The main window's programming status field.
    virtual void StatusText(const std::string& /*text*/) {}
    // A message box with one OK button.
    virtual void MessageBox(const std::string& /*text*/, const std::string& /*caption*/) {}
    // An error message dialog with one OK button.
    virtual void ErrorMessage(const std::string& /*text*/) {}
    // The whole content of the board list.
    virtual void BoardListChanged(const std::vector<std::string>& /*lines*/) {}
    virtual void BoardCountChanged(int /*count*/) {}
    virtual void ButtonsChanged(const TRenumberButtons& /*buttons*/) {}
    // A started operation is over (its message box has been shown).
    virtual void OperationEnded(TRenumberOperation /*operation*/, bool /*success*/) {}
};

class TRenumberEngine {
public:
    static constexpr int kReplyTimeoutMs = 5000;
    static constexpr int kChangeDelayMs = 50;
    static constexpr int kMaxBoards = 1000;
    static constexpr int kMinSerial = 1;
    static constexpr int kMaxSerial = 65535;

    // Goes idle with an empty board list. The product list is loaded apart
    // (LoadProductList) or handed over (Products()).
    TRenumberEngine(IRenumberListener& listener, IEngineTimer* timeoutTimer, IEngineTimer* delayTimer);
    ~TRenumberEngine();
    TRenumberEngine(const TRenumberEngine&) = delete;
    TRenumberEngine& operator=(const TRenumberEngine&) = delete;

    // False with Products().Warning() when the file is missing or malformed;
    // the table is then empty.
    bool LoadProductList(const std::string& fileName) { return products_.Load(fileName); }
    TProductList& Products() { return products_; }

    // Commands; each is ignored while an operation runs.
    void Discover();
    // position: the selected line of the board list, -1 for none.
    void Identify(int position);
    void Renumber(int position, int newSerial);
    // Identifies the board with this serial number without a discovery: any
    // identify reply with the serial number counts (for a board that keeps
    // its address apart, the address as destination), and the board it
    // describes becomes IdentifiedBoard().
    void IdentifySerial(int serial);
    const TRenumberableBoard* IdentifiedBoard() const { return identified_.get(); }
    // Appends every discovered board whose serial number (address) no
    // configured board has to the list of the type named by its product.
    // Returns the number of boards added.
    int CopyNewBoards(TBoardData& boards);

    // Events
    void HandleSvMessage(const TLNSVProgMessage& message);
    void TimeoutExpired(uint64_t token);
    void DelayExpired(uint64_t token);

    // Goes idle without waiting, e.g. when the host closes.
    void GoIdle();

    TRenumberState State() const { return state_; }
    bool IsIdle() const { return state_ == TRenumberState::eIdle; }
    int FoundCount() const { return foundCount_; }
    const std::vector<std::unique_ptr<TRenumberableBoard>>& Boards() const { return boards_; }
    std::vector<std::string> ListLines() const;
    TRenumberButtons Buttons() const { return buttons_; }
    // Replies beyond kMaxBoards in one discovery, which are not listed.
    int IgnoredReplies() const { return ignoredReplies_; }

private:
    void SetButtons(bool busy);
    void FillBoardList();
    bool SelectBoard(int position);
    void StartOperation(TRenumberState state, const char* status, std::unique_ptr<TLNSVProgMessage> message);
    void TimeoutMessage(const char* text, TRenumberOperation operation);

    IRenumberListener& listener_;
    TEngineTimer timeoutTimer_;
    TEngineTimer delayTimer_;
    TRenumberState state_ = TRenumberState::eIdle;
    std::vector<std::unique_ptr<TRenumberableBoard>> boards_;
    int foundCount_ = 0;
    int ignoredReplies_ = 0;
    int chosenPosition_ = -1;
    int chosenSerial_ = 0;
    int newSerial_ = 0;
    int sourceAddress_ = 0;
    TProductList products_;
    TRenumberButtons buttons_;
    bool serialOnly_ = false;  // identifying by serial number alone
    std::unique_ptr<TRenumberableBoard> identified_;
};

namespace RenumberTexts {
inline constexpr const char* kIdle = "No Address change active";
inline constexpr const char* kDiscoveringLine = "Discovering boards on LocoNet (this takes several seconds).....";
inline constexpr const char* kDiscovering = "Discovering.....";
inline constexpr const char* kDiscoveryComplete = "Discovery complete!";
inline constexpr const char* kDiscoverCaption = "Discover:";
inline constexpr const char* kSelectFirst = "Select a board in the list first!";
inline constexpr const char* kErrorCaption = "Error:";
inline constexpr const char* kIdentifying = "Identifying target board...";
inline constexpr const char* kIdentifySuccessful = "Identify successful!";
inline constexpr const char* kIdentifyCaption = "Identify:";
inline constexpr const char* kNoIdentifyResponse = "Board did not response to Identify message";
inline constexpr const char* kNoChangeResponse = "Board did not response to ChangeAddress message";
inline constexpr const char* kTimeoutCaption = "Timout Error:";
inline constexpr const char* kDuplicate = "New number duplicates a board on LocoNet! Choose a different value";
inline constexpr const char* kOutOfRange = "New serial number must be between 1 and 65535";
inline constexpr const char* kChangingAddress = "Changing address...";
inline constexpr const char* kChangeSuccessful = "Change Address successful. Relabel board now!";
inline constexpr const char* kChangeCaption = "change address:";
inline constexpr const char* kDiscoverFirst = "You need to discover some boards first";
inline constexpr const char* kInactive = "(Inactive)";
}  // namespace RenumberTexts
