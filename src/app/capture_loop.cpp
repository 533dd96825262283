#include "app/capture_loop.h"

namespace app {

void capture_step() {}

}  // namespace app
