// Start-up timestamps for bench/idle: when KORVALIN_STARTUP_TRACE holds the
// launch time (nanoseconds since the epoch, as `date +%s%N` prints), each
// stage writes "korvalin start-up: STAGE <ms since launch> ms, <CPU ms> ms CPU"
// to stderr. Without the variable a stage costs one check of a flag.
#pragma once

class QWidget;

namespace korvalin::ui {

void StartupStage(const char* stage);

// Tells "window painted" at the widget's first paint event.
void TellFirstPaint(QWidget& widget);

}  // namespace korvalin::ui
