// The ports the link opens, chosen by device name:
//   "sim"              the simulated LocoNet in this process
//   "tcp:HOST[:PORT]"  LocoNet over TCP, LbServer line protocol (port 1234 when omitted)
//   anything else      a serial device ("/dev/ttyUSB0", "/dev/ttyACM0", "COM3")
//
// Typical use:
//   TLocoNetComm link(MakeLinkPort);
//   link.SetDeviceName("/dev/ttyUSB0"); link.SetBaudRate(br57600);
//   link.SetLocoNetInterface(eLocoBuffer);
//   link.OnRxMsg = ...; link.OnError = ...;
//   link.Open();  if (!link.Enabled()) show(link.LastOpenError());
#pragma once

#include "link/Lnport.h"
#include "sim/Simsettings.h"

#include <memory>
#include <string>

class TSimLocoNet;

std::unique_ptr<TLnPort> MakeLinkPort(const std::string& deviceName);

bool IsSimulatedDeviceName(const std::string& deviceName);
// Splits "tcp:HOST[:PORT]"; false when the name is not of that form.
bool ParseTcpDeviceName(const std::string& deviceName, std::string& host, int& port);

// The simulated LocoNet that device "sim" connects to. It is made on first
// use with DefaultSimulation() unless ConfigureSimulatedLocoNet came first;
// configuring again replaces it (ports open on the old one then lose their bus).
void ConfigureSimulatedLocoNet(const TSimSettings& settings);
TSimLocoNet& SimulatedLocoNet();
