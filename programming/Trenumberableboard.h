// One board found on LocoNet by the SV discover command: its identity
// numbers from the reply and its product texts from the product list.
#pragma once

#include "link/Tsvprogmsg.h"

#include <cstdint>
#include <memory>
#include <string>

class TProductList;

class TRenumberableBoard {
public:
    // From a discover reply (kind 16) or identify reply (kind 17); any other
    // message gives 65535 for all three numbers.
    explicit TRenumberableBoard(const TLNSVProgMessage& reply);
    TRenumberableBoard(int vendorId, int deviceId, int serialNumber);

    // Copies the texts of the first product line with this board's vendor
    // and device id; without one the texts stay empty.
    void LookUpProduct(const TProductList& products);

    std::unique_ptr<TLNSVProgMessage> MakeIdentifyMessage() const;
    std::unique_ptr<TLNSVProgMessage> MakeChangeAddressMessage(int newSerial) const;

    // A kind 17 message carrying this board's vendor id, device id and serial number.
    bool IsIdentifyReply(const TLNSVProgMessage& message) const;
    // A kind 18 message carrying this board's identity: the board takes the
    // new address from it and the result is true.
    bool AcceptAddressChange(const TLNSVProgMessage& message);
    bool HasSerial(int number) const { return serialNumber_ == number; }

    // "serial<TAB>product<TAB>manufacturer<TAB>description"
    std::string ListLine() const;

    int32_t SerialNumber() const { return serialNumber_; }
    int32_t VendorId() const { return vendorId_; }
    int32_t DeviceId() const { return deviceId_; }
    const std::string& Manufacturer() const { return manufacturer_; }
    const std::string& Product() const { return product_; }
    const std::string& Description() const { return description_; }

private:
    int32_t serialNumber_ = 65535;
    int32_t vendorId_ = 65535;
    int32_t deviceId_ = 65535;
    std::string manufacturer_;
    std::string product_;
    std::string description_;
};
