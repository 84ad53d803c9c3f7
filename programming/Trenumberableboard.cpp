#include "programming/Trenumberableboard.h"

#include "programming/Tproductlist.h"

TRenumberableBoard::TRenumberableBoard(const TLNSVProgMessage& reply)
{
    const int kind = reply.SvKind();
    if (kind == eSvDiscoverReply || kind == eSvIdentifyReply) {
        const TSvIdentityFields id = reply.GetSvIdentity();
        serialNumber_ = id.serial;
        vendorId_ = id.vendor;
        deviceId_ = id.device;
        address_ = reply.SvReplyAddress();
        separateAddress_ = reply.SvHasSeparateAddress();
        keepsSerial_ = separateAddress_;
    }
}

TRenumberableBoard::TRenumberableBoard(int vendorId, int deviceId, int serialNumber)
    : serialNumber_(serialNumber), address_(serialNumber), vendorId_(vendorId), deviceId_(deviceId)
{
}

TRenumberableBoard::TRenumberableBoard(int vendorId, int deviceId, int serialNumber, int address)
    : serialNumber_(serialNumber), address_(address), separateAddress_(address != serialNumber),
      keepsSerial_(separateAddress_), vendorId_(vendorId), deviceId_(deviceId)
{
}

void TRenumberableBoard::LookUpProduct(const TProductList& products)
{
    int line = products.Find(vendorId_, deviceId_);
    if (line < 0 && separateAddress_ && Developer8() != 0)
        line = products.Find(Manufacturer8(), deviceId_);
    if (line < 0)
        return;
    manufacturer_ = products.Manufacturer(line);
    product_ = products.Product(line);
    description_ = products.Description(line);
}

std::unique_ptr<TLNSVProgMessage> TRenumberableBoard::MakeIdentifyMessage() const
{
    auto message = std::make_unique<TLNSVProgMessage>();
    message->MakeSvIdentify(0, address_);
    return message;
}

std::unique_ptr<TLNSVProgMessage> TRenumberableBoard::MakeChangeAddressMessage(int newSerial) const
{
    auto message = std::make_unique<TLNSVProgMessage>();
    message->MakeSvChangeAddress(0, vendorId_, deviceId_, serialNumber_, newSerial);
    return message;
}

bool TRenumberableBoard::IsIdentifyReply(const TLNSVProgMessage& message) const
{
    if (message.SvKind() != eSvIdentifyReply)
        return false;
    const TSvIdentityFields id = message.GetSvIdentity();
    if (id.vendor != vendorId_ || id.device != deviceId_)
        return false;
    if (message.SvHasSeparateAddress())
        return message.SvReplyAddress() == address_ && (!separateAddress_ || id.serial == serialNumber_);
    // The reply's address is its serial number.
    return id.serial == serialNumber_ && id.serial == address_;
}

void TRenumberableBoard::TakeIdentity(const TLNSVProgMessage& reply)
{
    if (!reply.SvHasSeparateAddress())
        return;
    serialNumber_ = reply.GetSvIdentity().serial;
    address_ = reply.SvReplyAddress();
    separateAddress_ = true;
    keepsSerial_ = true;
}

bool TRenumberableBoard::AcceptAddressChange(const TLNSVProgMessage& message)
{
    if (message.SvKind() != eSvChangeAddressReply)
        return false;
    const TSvAddressChangeFields change = message.GetSvAddressChange();
    if (change.vendor != vendorId_ || change.device != deviceId_ || change.serial != serialNumber_)
        return false;
    // A family board's address is its serial number; another maker's board
    // keeps its serial number.
    if (!keepsSerial_)
        serialNumber_ = change.newAddress;
    address_ = change.newAddress;
    separateAddress_ = address_ != serialNumber_;
    return true;
}

std::string TRenumberableBoard::ListLine() const
{
    std::string line = std::to_string(address_) + "\t" + product_ + "\t" + manufacturer_ + "\t" + description_;
    if (separateAddress_)
        line += "\tserial " + std::to_string(serialNumber_);
    return line;
}
