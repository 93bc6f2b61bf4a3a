#pragma once
// The line settings of a serial port as termios flags, and its write
// time-out, apart from any device so that they can be checked exactly.
#include <termios.h>

namespace brindle {

// Changes `t` (the device's current settings) to what a printer job
// needs, leaving every other field as it was:
// - baud codes 3..10 → 1200, 2400, 4800, 9600, 19200, 38400, 57600,
//   115200 bps on both directions; any other code keeps the rate;
// - 8 data bits, one stop bit, receiver on, modem status lines ignored
//   for reading (CLOCAL), CTS output flow control (CRTSCTS);
// - parity index 0 none, 1 even, 2 odd (the order of the Parity list);
//   any other index keeps the parity;
// - binary: no input parity checking or marking, no stripping, no CR/LF
//   translation, no break handling, no XON/XOFF output control (IXOFF,
//   the input side, is kept), no output processing, no canonical mode,
//   echo or signals; reads return what is there (VMIN 0, VTIME 0).
void ApplyLineSettings(termios& t, int baudCode, int parityIndex);

// Write time-out per byte for a baud code: 76800 / code ms (25600 at code
// 3, 7680 at code 10), whatever the rate. Codes below 1 take the value of
// code 3, the slowest rate offered; the result is never below 1 ms.
int SerialWriteTimeoutPerByteMs(int baudCode);

}  // namespace brindle
