#include "port/SerialSettings.h"

namespace brindle {

namespace {

// Baud codes 3..10 of the port settings and their line rates.
constexpr speed_t kRates[] = {B1200, B2400, B4800, B9600, B19200, B38400, B57600, B115200};

}  // namespace

void ApplyLineSettings(termios& t, int baudCode, int parityIndex) {
  if (baudCode >= 3 && baudCode <= 10) {
    cfsetispeed(&t, kRates[baudCode - 3]);
    cfsetospeed(&t, kRates[baudCode - 3]);
  }
  t.c_cflag &= ~(CSIZE | CSTOPB);
  t.c_cflag |= CS8 | CREAD | CLOCAL | CRTSCTS;
  switch (parityIndex) {
    case 0: t.c_cflag &= ~(PARENB | PARODD | CMSPAR); break;
    case 1: t.c_cflag = (t.c_cflag & ~(PARODD | CMSPAR)) | PARENB; break;
    case 2: t.c_cflag = (t.c_cflag & ~CMSPAR) | PARENB | PARODD; break;
    default: break;
  }
  t.c_iflag &= ~(INPCK | PARMRK | ISTRIP | IGNBRK | BRKINT | INLCR | IGNCR | ICRNL | IXON | IXANY);
  t.c_oflag &= ~OPOST;
  t.c_lflag &= ~(ICANON | ECHO | ECHOE | ECHONL | ISIG | IEXTEN);
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
}

int SerialWriteTimeoutPerByteMs(int baudCode) {
  if (baudCode < 1) baudCode = 3;
  int ms = 76800 / baudCode;
  return ms < 1 ? 1 : ms;
}

}  // namespace brindle
