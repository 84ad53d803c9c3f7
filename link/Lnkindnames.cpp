#include "link/Lnkindnames.h"

#include "link/Lnmessage.h"

namespace {

constexpr const char* kPlainNames[kLnMessageKindCount] = {
    "Unknown or damaged",  // eUnknown
    "Emergency stop (idle)",  // eOPCIDLE
    "Track power on",  // eOPCGPON
    "Track power off",  // eOPCGPOFF
    "Master busy",  // eOPCBUSY
    "Master limit",  // eOPCMASTERLIM
    "Master normal",  // eOPCMASTERNORM
    "Loco address requests",  // eOPCLOCOADR
    "Switch requests with reply",  // eOPCSWACK
    "Switch state requests",  // eOPCSWSTATE
    "Slot data requests",  // eOPCRQSLDATA
    "Move slots",  // eOPCMOVESLOTS
    "Link slots",  // eOPCLINKSLOTS
    "Unlink slots",  // eOPCUNLINKSLOTS
    "Consist functions",  // eOPCCONSISTFUNC
    "Slot status",  // eOPCSLOTSTAT1
    "Long acknowledges",  // eOPCLONGACK
    "Sensor reports",  // eOPCSENS
    "Switch output reports",  // eOPCOPSTATE
    "Switch feedback reports",  // eOPCTOFB
    "Switch requests",  // eOPCSWREQ
    "Loco functions 9-12",  // eOPCLOCOF9F12
    "Loco sound functions",  // eOPCLOCOSND
    "Loco direction, functions 0-4",  // eOPCLOCODIRF
    "Loco speed",  // eOPCLOCOSPD
    "Slot speed limits",  // eOPCSPDLIMSLOT
    "Transponding and power reports",  // eOPCMULTISENSE
    "Auxiliary writes",  // eOPCAUXWR
    "Auxiliary reads",  // eOPCAUXRD
    "Slot data writes",  // eOPCWRSLDATA
    "Slot data reads",  // eOPCSLRDDATA
    "Limit data writes",  // eOPCWRLIMDATA
    "Memory writes",  // eOPCALMWRACCESS
    "Limit data reads",  // eOPCRDLIMDATA
    "Memory reads",  // eOPCALMRDACCESS
    "SV programming, type 1",  // eOPCSVACCESS1
    "SV programming, type 2",  // eOPCSVACCESS2
    "Peer transfers",  // eOPCPEERXFER
    "Long peer transfers",  // eOPCPEERLXFER
    "Security elements, long",  // eOPCSELONG
    "Security elements",  // eOPCSE
    "Throttle status",  // eOPCTHROTSTAT
    "Find requests",  // eOPCFIND
    "Immediate DCC packets",  // eOPCIMMPACKET
    "Special messages, 15 bytes",  // eOPCSPCLOEM1
    "Special messages, 31 bytes",  // eOPCSPCLOEM2
};

}  // namespace

const char* LnKindPlainName(int kind)
{
    if (kind < 0 || kind >= kLnMessageKindCount)
        return kPlainNames[eUnknown];
    return kPlainNames[kind];
}
