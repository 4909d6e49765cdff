#include "saver_fixture.h"

#include "host_state.h"
#include "saver_session.h"

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
