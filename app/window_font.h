#pragma once

#include <QFont>

namespace quillfold {

// The windows' default font: the system's sans-serif face at 8 points, and
// the same face at other sizes for the controls that name their own.
QFont WindowFont(double point_size = 8.0, bool bold = false, bool italic = false);

}  // namespace quillfold
