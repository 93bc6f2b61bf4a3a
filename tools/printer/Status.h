#pragma once
// The printer's state as its real-time status requests report it. The host
// sends DLE EOT n (10 04 n) and gets one byte back at once, wherever the
// request falls in the stream. Bits 1 and 4 of every status byte are always
// set and bits 0 and 7 always clear, so a byte with nothing to report is 12:
//
//   n  reports             bit 2 (04)        bit 3 (08)        bit 5 (20)      bit 6 (40)
//   1  printer             -                 off-line          -               -
//   2  off-line cause      cover open        paper being fed   printing        error
//                                            by the feed       stopped by
//                                            button            paper end
//   3  error cause         recoverable       autocutter        unrecoverable   auto-recoverable
//                          (mechanical)      error             error           error
//   4  paper roll sensor   paper near end    paper near end    paper out       paper out
//
// The states a --status option names and the bits they set (12 added):
//
//   state                    n=1  n=2  n=3  n=4
//   online                    -    -    -    -
//   offline                  08    -    -    -
//   cover-open               08   04    -    -
//   paper-feed               08   08    -    -
//   paper-near-end            -    -    -   0C
//   paper-out                08   20    -   6C   (the near-end sensor sees no paper either)
//   error                    08   40   04    -
//   cutter-error             08   40   08    -
//   unrecoverable-error      08   40   20    -
//   auto-recoverable-error   08   40   40    -
//
// An off-line printer (bit 3 of n=1) still takes bytes into its receive
// buffer and answers DLE EOT, but carries out nothing else: it neither
// prints, stores nor answers GS I.
#include <array>
#include <cstdint>
#include <string>

namespace brindle::printer {

// The bytes that DLE EOT 1, 2, 3 and 4 answer, in that order.
using StatusBytes = std::array<std::uint8_t, 4>;
inline constexpr StatusBytes kOnline{0x12, 0x12, 0x12, 0x12};

// Parses "STATE[,STATE...]" from the table above. False (with `error` set)
// for an unknown state, an empty item or "online" with an off-line state.
bool ParseStatus(const std::string& text, StatusBytes& status, std::string& error);

inline bool IsOffline(const StatusBytes& status) { return (status[0] & 0x08) != 0; }

}  // namespace brindle::printer
