// One mouse move while a point of a twenty-point curve is dragged: the
// table recomputed from the points and the whole 256 x 256 area redrawn
// (into the scripted raster, standing in for the window). A drag must keep
// up with the mouse, well under a millisecond per move.
#include <benchmark/benchmark.h>

#include "resources/tonecurve_dialog.h"
#include "tonecurve/curve_editor.h"
#include "formats/curve_reset.h"
#include "formats/curve_table.h"
#include "window/scripted/scripted_ui.h"

namespace {

using namespace k7730;

void BM_DragMoveWithTwentyPoints(benchmark::State& state) {
  ToneCurveSet set{};
  ResetCurveSet(set);
  set.pointCount[0] = kMaxCurvePoints;
  for (int k = 0; k < kMaxCurvePoints; ++k) {
    set.points[0][k].input = static_cast<std::uint16_t>(k * 255 / (kMaxCurvePoints - 1));
    set.points[0][k].output = static_cast<std::uint16_t>((k * 97) % 256);
  }
  ComputeCurveTable(set.points[0], kMaxCurvePoints, set.tables[0]);

  ui::ScopedScriptedUi ui;
  ui->OnDialog("TONECURVE", [&](ui::VirtualDialog& d) {
    ui::VirtualArea& area = *d.Area();
    const ControlPoint held = set.points[0][10];
    area.Press({held.input, 255 - held.output});
    int step = 0;
    for (auto _ : state) {
      area.MoveTo({held.input + (step % 5), 255 - held.output - (step % 40)});
      ++step;
    }
    area.Release();
    d.Click(res::kTcCancel);
  });
  EditToneCurve(0, set, kInputCurves);
}
BENCHMARK(BM_DragMoveWithTwentyPoints)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
