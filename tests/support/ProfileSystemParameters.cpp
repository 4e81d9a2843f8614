#include "support/ProfileSystemParameters.h"

namespace {

const UINT kUpdate = SPIF_UPDATEINIFILE | SPIF_SENDCHANGE;

}  // namespace

ProfileSystemParameters::ProfileSystemParameters() {
  const UINT actions[4][2] = {{SPI_GETSCREENSAVEACTIVE, SPI_SETSCREENSAVEACTIVE},
                              {SPI_GETLOWPOWERACTIVE, SPI_SETLOWPOWERACTIVE},
                              {SPI_GETPOWEROFFACTIVE, SPI_SETPOWEROFFACTIVE},
                              {SPI_GETSCREENSAVETIMEOUT, SPI_SETSCREENSAVETIMEOUT}};
  for (int i = 0; i < 4; ++i) {
    int value = 0;
    kept_[i].setAction = actions[i][1];
    kept_[i].valid = SystemParametersInfoW(actions[i][0], 0, &value, 0) != FALSE;
    kept_[i].value = value;
  }
}

ProfileSystemParameters::~ProfileSystemParameters() {
  for (const Kept& k : kept_)
    if (k.valid) SystemParametersInfoW(k.setAction, static_cast<UINT>(k.value), nullptr, kUpdate);
}

bool ProfileSystemParameters::SetFlag(UINT action, bool on) {
  return SystemParametersInfoW(action, on ? 1 : 0, nullptr, kUpdate) != FALSE;
}

bool ProfileSystemParameters::SetValue(UINT action, int value) {
  return SystemParametersInfoW(action, static_cast<UINT>(value), nullptr, kUpdate) != FALSE;
}
