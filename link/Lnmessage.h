// One LocoNet message as an owned byte string: checksum, validity,
// classification into message kinds, and its text forms.
#pragma once

#include <bitset>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// The message kinds a valid message is classified as; 0 is invalid or unknown.
enum TLnMessageKind : int {
    eUnknown = 0,
    eOPCIDLE = 1,
    eOPCGPON = 2,
    eOPCGPOFF = 3,
    eOPCBUSY = 4,
    eOPCMASTERLIM = 5,
    eOPCMASTERNORM = 6,
    eOPCLOCOADR = 7,
    eOPCSWACK = 8,
    eOPCSWSTATE = 9,
    eOPCRQSLDATA = 10,
    eOPCMOVESLOTS = 11,
    eOPCLINKSLOTS = 12,
    eOPCUNLINKSLOTS = 13,
    eOPCCONSISTFUNC = 14,
    eOPCSLOTSTAT1 = 15,
    eOPCLONGACK = 16,
    eOPCSENS = 17,
    eOPCOPSTATE = 18,
    eOPCTOFB = 19,
    eOPCSWREQ = 20,
    eOPCLOCOF9F12 = 21,
    eOPCLOCOSND = 22,
    eOPCLOCODIRF = 23,
    eOPCLOCOSPD = 24,
    eOPCSPDLIMSLOT = 25,
    eOPCMULTISENSE = 26,
    eOPCAUXWR = 27,
    eOPCAUXRD = 28,
    eOPCWRSLDATA = 29,
    eOPCSLRDDATA = 30,
    eOPCWRLIMDATA = 31,
    eOPCALMWRACCESS = 32,
    eOPCRDLIMDATA = 33,
    eOPCALMRDACCESS = 34,
    eOPCSVACCESS1 = 35,
    eOPCSVACCESS2 = 36,
    eOPCPEERXFER = 37,
    eOPCPEERLXFER = 38,
    eOPCSELONG = 39,
    eOPCSE = 40,
    eOPCTHROTSTAT = 41,
    eOPCFIND = 42,
    eOPCIMMPACKET = 43,
    eOPCSPCLOEM1 = 44,
    eOPCSPCLOEM2 = 45,
};

constexpr int kLnMessageKindCount = 46;
// A set of message kinds, one bit per kind.
using TKindSet = std::bitset<kLnMessageKindCount>;

// The kind-name text of a kind ("OPC_GPON:"); "Unknown:" outside 0..45.
const char* LnKindName(int kind);
// The kind a name stands for, as a person types it: the kind name with or
// without its colon, any case, '_' for a space ("opc_svaccess_type_1");
// -1 for no kind.
int LnKindFromName(std::string_view name);

class TLocoNetMessage {
public:
    TLocoNetMessage();                                   // capacity 16, length 0
    TLocoNetMessage(const uint8_t* bytes, uint32_t count);  // buffer of exactly count bytes
    explicit TLocoNetMessage(std::string_view text);     // typed hexadecimal; empty on failure
    TLocoNetMessage(const TLocoNetMessage& other);       // same capacity, length and bytes
    TLocoNetMessage& operator=(const TLocoNetMessage& other);
    virtual ~TLocoNetMessage();

    // Building
    void AppendByte(uint8_t value);
    void AppendChecksum();
    void Clear();  // length 0, buffer kept; builders start from here

    // Reading
    uint8_t ByteAt(uint32_t index) const;  // 0 past the end
    uint32_t Length() const { return length_; }
    uint32_t Capacity() const { return capacity_; }
    const uint8_t* Data() const { return buffer_.get(); }

    // Checking and classifying
    bool ChecksumOk() const;
    bool IsValid() const;
    int MessageKind() const;
    std::string KindName() const;

    // Text forms
    std::string HexText() const;  // "83 7C "
    std::string RawText() const;  // "OPC_GPON:83 7C "
    virtual std::string ToText() const;

    // The checksum byte that makes the exclusive-or of count bytes plus it 0xFF.
    static uint8_t Checksum(const uint8_t* bytes, uint32_t count);

    // The parse of typed hexadecimal text; false when the text is rejected.
    // Empty text parses to no bytes (true).
    static bool ParseHexText(std::string_view text, std::string& bytes);
    // The same, saying why a text is rejected ("fewer than 2 bytes", ...).
    static bool ParseHexText(std::string_view text, std::string& bytes, std::string& reason);

private:
    std::unique_ptr<uint8_t[]> buffer_;
    uint32_t capacity_ = 0;
    uint32_t length_ = 0;
};
