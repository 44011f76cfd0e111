#include "engine/saver_engine.h"

namespace mandeldive {

bool SaverEngine::Tick() {
  if (window == nullptr) return false;
  if (zoomLevel == 1) ResetView();
  switch (phase) {
    case PhaseRender:
      if (literalPass) {
        RenderFrameLiteral();
      } else {
        RenderFrame();
      }
      phase = PhaseCaption;
      break;
    case PhaseCaption:
      DrawCaption();
      if (zoomLevel == kDeepestLevel) {
        phase = PhaseRender;
        zoomLevel = 1;
      } else {
        phase = PhaseZoom;
      }
      break;
    case PhaseZoom:
      ZoomStep();
      phase = PhaseRender;
      break;
    default:
      break;
  }
  return true;
}

}  // namespace mandeldive
