#include "port/SerialSettings.h"

#include "port/BaudRates.h"

namespace brindle {

void ApplyLineSettings(termios& t, int baudCode, int parityIndex) {
  if (const auto rate = BaudRateOfCode(baudCode)) {
    cfsetispeed(&t, rate->speed);
    cfsetospeed(&t, rate->speed);
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
