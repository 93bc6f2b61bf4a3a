#pragma once
// The printout and erase commands. Every command is one write.
//   FS p n m     1C 70 n m   print NV image n (low byte) in size mode m
//   GS V 66 1    1D 56 42 01 feed and partial cut, after Thermal printouts
//   FS e         1C 65       erase every NV image
//   ESC o 1      1B 6F 01    print the logo stored in a Dot printer
//   7 x CR LF, ESC m         feed and cut on a Dot printer
#include <cstdint>

#include "port/Port.h"

namespace brindle {

// Start number and size index that together select the erase command.
inline constexpr int kEraseValue = 1000;
inline constexpr int kPrintAllCount = 255;

// Size mode m of a size index: 0 "Single High&Wide" 30, 1 "Double Wide" 31,
// 2 "Double High" 32, 3 "Double High&Wide" 33, any other index 30.
std::uint8_t PrintSizeMode(int sizeIndex);

// start 1000 with size 1000: FS e alone. Otherwise prints, then cuts:
//   start 0, end 0 ("All"): images 1 ... 255;
//   start > 0, end > 0: images start ... min(end, 255) (none when start
//   is the larger);
//   anything else: the one image `start` (0 for start 0 with an end),
//   none when start is negative or above 255.
// So at most 255 print commands go out. Returns 1 when every command was
// accepted, 0 at the first failed write (no cut follows it).
int SendThermalPrintout(IPort& port, int start, int sizeIndex, int end);

// ESC o 1, then seven CR LF and ESC m. Returns 1 or, at the first failed
// write, 0.
int SendDotPrintout(IPort& port);

}  // namespace brindle
