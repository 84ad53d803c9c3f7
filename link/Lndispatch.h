// The one place that decides which class explains a received message: the
// display, the log and the command line all go through it, so they show the
// same text for the same bytes.
#pragma once

#include "link/Lnmessage.h"

#include <memory>

// A copy of the received message as an object of the decoder class for its
// MessageKind (decoders, the SV-access message), or a plain TLocoNetMessage
// copy for kinds no class explains.
std::unique_ptr<TLocoNetMessage> MakeDecoderMessage(const TLocoNetMessage& received);

// True when MakeDecoderMessage gives a decoder class for this kind.
bool HasDecoderForKind(int kind);
