#pragma once

#include <QIcon>

namespace tapestra {

// The two tray pictures: a framed landscape, grey while auto-change is off (index 0) and in
// colour with a turning arrow while it is on (index 1). Drawn at 16 px and at 2× scale.
QIcon MakeTrayIcon(int index);

}  // namespace tapestra
