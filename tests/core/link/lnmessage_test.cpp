#include "link/Lnmessage.h"

#include <gtest/gtest.h>

TEST(LocoNetMessage, GponRawText)
{
    const uint8_t b[] = {0x83, 0x7C};
    TLocoNetMessage m(b, 2);
    EXPECT_EQ(m.MessageKind(), eOPCGPON);
    EXPECT_EQ(m.RawText(), "OPC_GPON:83 7C ");
}
