// One board found on LocoNet by the SV discover command: its identity
// numbers from the reply and its product texts from the product list.
//
// A family board answers at its serial number, so its address is its serial
// number and a change of address gives it a new serial number. A board that
// keeps its bus address apart from a fixed serial number (its replies carry
// the address as destination) is addressed, listed and renumbered by its
// address; its serial number never changes.
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
    // A board answering at address, apart from its serial number.
    TRenumberableBoard(int vendorId, int deviceId, int serialNumber, int address);

    // Copies the texts of the first product line with this board's vendor
    // and device id; without one the texts stay empty. A board with its own
    // address that has no line for its whole vendor word is looked up by its
    // manufacturer byte.
    void LookUpProduct(const TProductList& products);

    std::unique_ptr<TLNSVProgMessage> MakeIdentifyMessage() const;
    std::unique_ptr<TLNSVProgMessage> MakeChangeAddressMessage(int newSerial) const;

    // A kind 17 message carrying this board's vendor id, device id and serial
    // number; for a board with its own address, also its address as
    // destination. A reply that shows a separate address equal to this
    // board's address counts too: a board first seen at an address equal to
    // its serial number reveals the two apart after a change of address.
    bool IsIdentifyReply(const TLNSVProgMessage& message) const;
    // Takes address and serial number from an accepted identify reply.
    void TakeIdentity(const TLNSVProgMessage& reply);
    // A kind 18 message carrying this board's identity: the board takes the
    // new address from it and the result is true.
    bool AcceptAddressChange(const TLNSVProgMessage& message);
    bool HasSerial(int number) const { return serialNumber_ == number; }
    // The address the board answers at (its serial number for the family).
    bool HasAddress(int number) const { return address_ == number; }

    // "serial<TAB>product<TAB>manufacturer<TAB>description"; a board with its
    // own address is listed under the address, with "<TAB>serial N" added.
    std::string ListLine() const;

    int32_t SerialNumber() const { return serialNumber_; }
    int32_t Address() const { return address_; }
    bool HasSeparateAddress() const { return separateAddress_; }
    int Manufacturer8() const { return vendorId_ & 0xFF; }
    int Developer8() const { return (vendorId_ >> 8) & 0xFF; }
    int32_t VendorId() const { return vendorId_; }
    int32_t DeviceId() const { return deviceId_; }
    const std::string& Manufacturer() const { return manufacturer_; }
    const std::string& Product() const { return product_; }
    const std::string& Description() const { return description_; }

private:
    int32_t serialNumber_ = 65535;
    int32_t address_ = 65535;
    bool separateAddress_ = false;  // address and serial number differ
    bool keepsSerial_ = false;      // seen apart once: a change of address leaves the serial number
    int32_t vendorId_ = 65535;
    int32_t deviceId_ = 65535;
    std::string manufacturer_;
    std::string product_;
    std::string description_;
};
