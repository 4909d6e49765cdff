#include "saver_fixture.h"

#include "host_state.h"
#include "saver_session.h"

DamagedResources::DamagedResources(Damage damage)
    : previous_(platform::SetModuleResources({nullptr, 0})) {
  data_.reserve(previous_.count);
  for (std::size_t i = 0; i < previous_.count; ++i) {
    platform::EmbeddedResource entry = previous_.entries[i];
    data_.emplace_back(entry.data, entry.data + entry.size);
    std::vector<unsigned char> &bytes = data_.back();
    if (entry.typeName == nullptr && entry.typeId == 2 && bytes.size() > 12) {
      if (damage == Damage::Truncated) {
        bytes.resize(1000);
      } else {
        bytes[8] = 0xA0; // height 4000
        bytes[9] = 0x0F;
        bytes[10] = bytes[11] = 0;
      }
    }
    entry.data = bytes.data();
    entry.size = static_cast<DWORD>(bytes.size());
    entries_.push_back(entry);
  }
  platform::SetModuleResources({entries_.data(), entries_.size()});
}

DamagedResources::~DamagedResources() {
  platform::SetModuleResources(previous_);
}

SaverWindow::SaverWindow(int width, int height, DWORD seed, bool preview)
    : window_(OpenSaverSurface(width, height, nullptr)) {
  StartSaverSession(window_, seed, preview);
}

SaverWindow::~SaverWindow() {
  CloseSaverSurface(window_);
  previewFlag = 0;
  moduleInstance = nullptr;
}

LONG SaverWindow::Step() {
  const LONG phase = animationPhase;
  AnimationStep(window_);
  return phase;
}

bool SaverWindow::RunUntil(LONG phase, long limit) {
  for (long i = 0; i < limit && animationPhase != phase; ++i) {
    Step();
  }
  return animationPhase == phase;
}
