// The names a modeller reads for the message kinds ("Sensor reports",
// "Loco speed"), beside the opcode names the message lines start with: the
// kind filter, the bus statistics and the command line say the same.
#pragma once

// The plain name of a kind; the unknown kind's name outside 0..45.
const char* LnKindPlainName(int kind);
