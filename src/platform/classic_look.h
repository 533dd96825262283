#pragma once
// The look of the program's controls: flat grey 3-D frames, a small sans-serif font and the
// compact sizes of classic dialog controls, so that a 20-pixel field or trackbar fits in
// 20 pixels. Applies only inside our windows' client areas.

namespace platform {

void install_classic_look();

}  // namespace platform
