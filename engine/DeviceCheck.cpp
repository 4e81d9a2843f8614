#include "engine/DeviceCheck.h"

DeviceCheck DeviceCheckFor(HRESULT cooperativeLevel) {
  if (cooperativeLevel == D3DERR_DEVICELOST) return DeviceCheck::Skip;
  if (cooperativeLevel == D3DERR_DEVICENOTRESET) return DeviceCheck::Reset;
  return DeviceCheck::Draw;
}

DeviceCheck ResetOutcomeFor(HRESULT resetResult) {
  if (resetResult == D3DERR_DEVICELOST) return DeviceCheck::Skip;
  if (FAILED(resetResult)) return DeviceCheck::Fail;
  return DeviceCheck::Draw;
}
