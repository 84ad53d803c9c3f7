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
    }
}

TRenumberableBoard::TRenumberableBoard(int vendorId, int deviceId, int serialNumber)
    : serialNumber_(serialNumber), vendorId_(vendorId), deviceId_(deviceId)
{
}

void TRenumberableBoard::LookUpProduct(const TProductList& products)
{
    const int line = products.Find(vendorId_, deviceId_);
    if (line < 0)
        return;
    manufacturer_ = products.Manufacturer(line);
    product_ = products.Product(line);
    description_ = products.Description(line);
}

std::unique_ptr<TLNSVProgMessage> TRenumberableBoard::MakeIdentifyMessage() const
{
    auto message = std::make_unique<TLNSVProgMessage>();
    message->MakeSvIdentify(0, serialNumber_);
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
    return id.vendor == vendorId_ && id.device == deviceId_ && id.serial == serialNumber_;
}

bool TRenumberableBoard::AcceptAddressChange(const TLNSVProgMessage& message)
{
    if (message.SvKind() != eSvChangeAddressReply)
        return false;
    const TSvAddressChangeFields change = message.GetSvAddressChange();
    if (change.vendor != vendorId_ || change.device != deviceId_ || change.serial != serialNumber_)
        return false;
    serialNumber_ = change.newAddress;
    return true;
}

std::string TRenumberableBoard::ListLine() const
{
    return std::to_string(serialNumber_) + "\t" + product_ + "\t" + manufacturer_ + "\t" + description_;
}
